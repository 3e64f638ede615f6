// Owning list of engine objects: members are freed with the list or when removed. A position
// outside the list raises "List index out of bounds (%d)".
#pragma once

#include "common/EngineError.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace quarn {

template <class T> class ObjectList {
  public:
    int Count() const { return static_cast<int>(items_.size()); }
    bool Empty() const { return items_.empty(); }

    T* Get(int index) const {
        if (index < 0 || index >= Count()) ThrowListIndexError(index);
        return items_[static_cast<size_t>(index)].get();
    }
    T* operator[](int index) const { return Get(index); }

    // Takes ownership; returns the new member's index.
    int Add(std::unique_ptr<T> item) {
        items_.push_back(std::move(item));
        return Count() - 1;
    }
    template <class U> U* AddNew(std::unique_ptr<U> item) {
        U* raw = item.get();
        items_.push_back(std::move(item));
        return raw;
    }

    int IndexOf(const T* item) const {
        for (size_t i = 0; i < items_.size(); ++i)
            if (items_[i].get() == item) return static_cast<int>(i);
        return -1;
    }

    // Removes and frees the member at index.
    void Delete(int index) {
        if (index < 0 || index >= Count()) ThrowListIndexError(index);
        items_.erase(items_.begin() + index);
    }
    // Removes and frees item if it is a member; returns whether it was.
    bool Remove(const T* item) {
        const int i = IndexOf(item);
        if (i < 0) return false;
        Delete(i);
        return true;
    }
    // Removes item without freeing it; the caller takes ownership.
    std::unique_ptr<T> Extract(const T* item) {
        const int i = IndexOf(item);
        if (i < 0) return nullptr;
        std::unique_ptr<T> out = std::move(items_[static_cast<size_t>(i)]);
        items_.erase(items_.begin() + i);
        return out;
    }
    void Clear() { items_.clear(); }
    // Room for n members without reallocating (bulk builds).
    void Reserve(size_t n) { items_.reserve(n); }

    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

  private:
    std::vector<std::unique_ptr<T>> items_;
};

} // namespace quarn
