#include "platform/muxed_module.h"

namespace kinorex {

const MuxedModule& muxedModule() {
    static const MuxedModule linkedIn{&kinorexCreateMuxedFile, {}};
    return linkedIn;
}

}  // namespace kinorex
