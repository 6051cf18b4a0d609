#include "kinorex_app.h"

int main(int argc, char** argv) {
    kinorex::CKinorexApp app(argc, argv);
    if (app.InitInstance()) {
        return app.exec();
    }
    return 0;
}
