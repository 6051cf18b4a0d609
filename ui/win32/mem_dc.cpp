#include "mem_dc.h"

namespace kinorex {

CMemDC::CMemDC(HDC target) : target_(target) {
    GetClipBox(target_, &covered_);
    memory_ = CreateCompatibleDC(target_);
    bitmap_ = CreateCompatibleBitmap(target_, covered_.right - covered_.left,
                                     covered_.bottom - covered_.top);
    previousBitmap_ = SelectObject(memory_, bitmap_);
    SetWindowOrgEx(memory_, covered_.left, covered_.top, nullptr);
}

CMemDC::~CMemDC() {
    BitBlt(target_, covered_.left, covered_.top, covered_.right - covered_.left,
           covered_.bottom - covered_.top, memory_, covered_.left, covered_.top, SRCCOPY);
    SelectObject(memory_, previousBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
}

}  // namespace kinorex
