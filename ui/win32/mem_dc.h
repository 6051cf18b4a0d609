#pragma once

#include <windows.h>

namespace kinorex {

// An off-screen drawing context standing in for a target during one paint:
// drawing goes, in the target's coordinates, onto a bitmap the size of the
// target's clip box, and the finished picture reaches the target in one copy
// when the CMemDC goes away. Nothing half-drawn is ever seen.
class CMemDC {
public:
    explicit CMemDC(HDC target);
    ~CMemDC();

    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    HDC dc() const { return memory_; }

private:
    HDC target_;
    RECT covered_{};
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previousBitmap_ = nullptr;
};

}  // namespace kinorex
