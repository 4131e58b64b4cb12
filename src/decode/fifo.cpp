#include "decode/fifo.h"

#include <utility>

#include "runtime/checked16.h"
#include "runtime/error.h"

namespace vostel {

FIFO::~FIFO() {
    // Unlink each node before it goes, so no destructor follows the chain.
    while (first_) first_ = std::move(first_->prev);
}

void FIFO::addElement(Packet theElement) {
    checkInvariant();
    const int16_t newSize = add16(size_, 1);  // a full queue refuses the value before anything changes
    auto node = std::make_unique<FifoCont>();
    node->Element = std::move(theElement);
    FifoCont* newest = node.get();
    if (isEmpty()) {
        first_ = std::move(node);
    } else {
        last_->prev = std::move(node);
    }
    last_ = newest;
    size_ = newSize;
    checkInvariant();
}

std::optional<Packet> FIFO::getElement() {
    checkInvariant();
    std::optional<Packet> result;
    if (!isEmpty()) {
        std::unique_ptr<FifoCont> oldest = std::move(first_);
        result = std::move(oldest->Element);
        first_ = std::move(oldest->prev);
        size_ = sub16(size_, 1);
        if (size_ == 0) last_ = nullptr;
    }
    checkInvariant();
    return result;
}

int16_t FIFO::getSize() const { return size_; }

bool FIFO::isEmpty() const { return getSize() == 0; }

void FIFO::checkInvariant() const {
    const bool anyEnd = first_ != nullptr || last_ != nullptr;
    const bool bothEnds = first_ != nullptr && last_ != nullptr;
    if (size_ == 0 ? anyEnd : !bothEnds) throw RuntimeError(kErrInternal);
}

}  // namespace vostel
