#include "app/TrelvoResultsApp.h"
#include "platform/app/AppMain.h"

int main(int argc, char** argv) {
    return platform::app::main<TrelvoResultsApp>(argc, argv);
}
