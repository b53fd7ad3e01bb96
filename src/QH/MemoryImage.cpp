#include "QH/MemoryImage.hpp"

namespace QH {

struct MemoryImage::Pimpl {
    HTTP::Bytes bytes;
};

MemoryImage::MemoryImage(HTTP::Bytes bytes) : pimpl(std::make_shared<Pimpl>(Pimpl{std::move(bytes)})) {}

const HTTP::Bytes& MemoryImage::GetBytes() const { return pimpl->bytes; }

}  // namespace QH
