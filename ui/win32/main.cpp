#include <windows.h>

#include "kinorex_app.h"

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    // Everything happens inside: the dialog runs its own modal loop.
    kinorex::CKinorexApp app;
    app.InitInstance();
    return 0;
}
