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
    ~FIFO();  // releases the chain node by node, so a long chain cannot exhaust the stack
    FIFO(const FIFO&) = delete;
    FIFO& operator=(const FIFO&) = delete;

    // Appends `theElement` (taken by value: the queue's own copy) as the newest
    // value; raises 6 when 32,767 values are held, and then refuses it whole.
    void addElement(Packet theElement);
    // Removes and returns the oldest value; no value (the empty reference) when empty.
    std::optional<Packet> getElement();
    int16_t getSize() const;
    bool isEmpty() const;

private:
    void checkInvariant() const;  // raises 0 when size and the two ends disagree

    int16_t size_ = 0;
    FifoCont* last_ = nullptr;
    std::unique_ptr<FifoCont> first_;
};

}  // namespace vostel
