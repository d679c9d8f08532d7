// A picture with nothing behind it: only its identity and its lifetime matter,
// so a test can tell which picture a control or the clipboard holds and see
// when a holder lets go of one.
#pragma once

#include <memory>

#include "platform/picture.h"

namespace scrimble::test {

class FakePicture : public Picture {
public:
    // destroyed, when given, counts the fake pictures that have gone; it is
    // shared so that a picture may outlive the test's own count.
    FakePicture(NativeHandle bitmap, std::shared_ptr<int> destroyed)
        : bitmap_(bitmap), destroyed_(std::move(destroyed)) {}
    ~FakePicture() override {
        if (destroyed_) ++*destroyed_;
    }
    FakePicture(const FakePicture&) = delete;
    FakePicture& operator=(const FakePicture&) = delete;

    NativeHandle Bitmap() const override { return bitmap_; }
    NativeHandle Palette() const override { return 0; }

private:
    NativeHandle bitmap_;
    std::shared_ptr<int> destroyed_;
};

inline PicturePtr MakeFakePicture(NativeHandle bitmap, std::shared_ptr<int> destroyed = nullptr) {
    return std::make_shared<FakePicture>(bitmap, std::move(destroyed));
}

}  // namespace scrimble::test
