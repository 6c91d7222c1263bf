#pragma once

#include "app/ContentView.h"

// The window as designed: a fresh client, before any answer.
struct ContentView_Previews {
    static ContentView previews();
};
