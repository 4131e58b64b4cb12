#pragma once
// FIFO: a first-in-first-out queue of Packets, a singly linked chain of FifoCont nodes.
#include <cstdint>
#include <memory>
#include <optional>

#include "runtime/types.h"

namespace vostel {

struct FifoCont {
    std::unique_ptr<FifoCont> prev;  // the next newer node; empty for the newest
    Packet Element;                  // the queue's own copy of the value
};

class FIFO {
public:
    FIFO() = default;
    ~FIFO();
    FIFO(const FIFO&) = delete;
    FIFO& operator=(const FIFO&) = delete;

    // Appends a copy as the newest value; raises 6 when 32,767 values are held
    // (the value is then refused whole).
    void addElement(const Packet& theElement);
    // Removes and returns the oldest value; no value (the empty reference) when empty.
    std::optional<Packet> getElement();
    int16_t getSize() const;
    bool isEmpty() const;

private:
    void checkInvariant() const;  // raises 0 when size is 0 but an end is still set

    int16_t size_ = 0;
    FifoCont* last_ = nullptr;
    std::unique_ptr<FifoCont> first_;
};

}  // namespace vostel
