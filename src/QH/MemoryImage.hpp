#pragma once
// Pictures fetched from a machine (thumbnails), kept as the bytes the machine sent.
// Turning them into a picture is the window layer's work.

#include "HTTP/Mcmd.hpp"

#include <memory>

namespace QH {

class Image {
public:
    Image() = default;
    virtual ~Image() = default;
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    /// The encoded picture (JPEG, TIFF, ...).
    virtual const HTTP::Bytes& GetBytes() const = 0;
};

class MemoryImage : public Image {
public:
    /// Takes the bytes over.
    explicit MemoryImage(HTTP::Bytes bytes);
    const HTTP::Bytes& GetBytes() const override;

private:
    struct Pimpl;
    std::shared_ptr<Pimpl> pimpl;
};

}  // namespace QH
