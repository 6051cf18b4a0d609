#pragma once

namespace kinorex {

// The application: shows the main dialog modally and ends when it closes.
// It keeps no settings; its arguments are recordings or folders of recordings to convert.
class CKinorexApp {
public:
    // Runs the main dialog to its end. Returns false: the program has nothing
    // left to do and needs no message loop of its own afterwards.
    bool InitInstance();
};

}  // namespace kinorex
