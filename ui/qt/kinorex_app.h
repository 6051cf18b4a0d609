#pragma once

#include <QApplication>

namespace kinorex {

// The application: shows the main dialog modally and ends when it closes.
// It keeps no settings; its arguments (after Qt has taken its own) are recordings or
// folders of recordings to convert.
class CKinorexApp : public QApplication {
    Q_OBJECT

public:
    CKinorexApp(int& argc, char** argv);

    // Runs the main dialog to its end. Returns false: the program has nothing
    // left to do and needs no event loop of its own afterwards.
    bool InitInstance();
};

}  // namespace kinorex
