#include "app/ContentView_Previews.h"

ContentView ContentView_Previews::previews() {
    return ContentView();
}
