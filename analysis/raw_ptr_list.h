// An intrusive, owning, doubly linked list of raw pointers.
//
// The links live in the elements themselves (BaseHook), so an element is in
// at most one list at a time and moving it between lists allocates nothing.
// The list owns its elements: destroying or clearing it deletes them through
// their virtual destructor, head first. Unlinking hands an element back to
// the caller, who then owns it.
//
// The annotation model builds its sentence lists on this; the client classes
// read results into their own lists of the same kind.

#ifndef KAVERO_ANALYSIS_RAW_PTR_LIST_H_
#define KAVERO_ANALYSIS_RAW_PTR_LIST_H_

#include <cassert>
#include <cstddef>
#include <iterator>

namespace omr {
namespace common {

// The links of one element; null at the ends of its list and while the
// element is in no list.
template <typename T>
struct BaseHook {
  T* next = nullptr;
  T* prev = nullptr;
};

template <typename T>
class RawPtrList {
 public:
  // Walks a list by its links. A null pointer is the end; stepping back from
  // an element follows its previous link. Dereferencing gives the element
  // pointer itself.
  class RawPtrIterator {
   public:
    using iterator_category = std::bidirectional_iterator_tag;
    using value_type = T*;
    using difference_type = std::ptrdiff_t;
    using pointer = T*;
    using reference = T*;

    RawPtrIterator() = default;
    explicit RawPtrIterator(T* item) : item_(item) {}

    T* operator*() const { return item_; }
    T* operator->() const { return item_; }
    T* get() const { return item_; }

    RawPtrIterator& operator++() {
      item_ = item_->next;
      return *this;
    }
    RawPtrIterator operator++(int) {
      RawPtrIterator before = *this;
      item_ = item_->next;
      return before;
    }
    RawPtrIterator& operator--() {
      item_ = item_->prev;
      return *this;
    }
    RawPtrIterator operator--(int) {
      RawPtrIterator before = *this;
      item_ = item_->prev;
      return before;
    }

    friend bool operator==(const RawPtrIterator& a, const RawPtrIterator& b) {
      return a.item_ == b.item_;
    }
    friend bool operator!=(const RawPtrIterator& a, const RawPtrIterator& b) {
      return a.item_ != b.item_;
    }

   private:
    T* item_ = nullptr;
  };

  using iterator = RawPtrIterator;
  using const_iterator = RawPtrIterator;

  RawPtrList() = default;
  ~RawPtrList() { clear(); }

  // Copying would share elements between lists; moving is not needed.
  RawPtrList(const RawPtrList&) = delete;
  RawPtrList& operator=(const RawPtrList&) = delete;

  bool empty() const { return head == nullptr; }

  // Counts the elements by walking them.
  size_t size() const {
    size_t n = 0;
    for (T* p = head; p != nullptr; p = p->next) ++n;
    return n;
  }

  RawPtrIterator begin() const { return RawPtrIterator(head); }
  RawPtrIterator end() const { return RawPtrIterator(); }

  // Appends an element that is in no list; the list takes ownership.
  void push_back(T* item) { insert_before(nullptr, item); }

  // Links an element that is in no list right before `position`, which must
  // be in this list; a null position appends. The element becomes the head
  // when `position` was the head.
  void insert_before(T* position, T* item) {
    assert(item != nullptr && item->next == nullptr &&
           item->prev == nullptr && item != head);
    if (position == nullptr) {
      item->prev = tail;
      if (tail != nullptr) {
        tail->next = item;
      } else {
        head = item;
      }
      tail = item;
      return;
    }
    item->prev = position->prev;
    item->next = position;
    if (position->prev != nullptr) {
      position->prev->next = item;
    } else {
      head = item;
    }
    position->prev = item;
  }

  // Links an element that is in no list right after `position`, which must
  // be in this list.
  void insert_after(T* position, T* item) {
    insert_before(position->next, item);
  }

  // Takes an element of this list out of it and hands it back to the
  // caller, links cleared.
  T* unlink(T* item) {
    if (item->prev != nullptr) {
      item->prev->next = item->next;
    } else {
      head = item->next;
    }
    if (item->next != nullptr) {
      item->next->prev = item->prev;
    } else {
      tail = item->prev;
    }
    item->next = nullptr;
    item->prev = nullptr;
    return item;
  }

  // Moves `first`, an element of `from`, and every element after it to the
  // end of this list, in order, without walking them.
  void splice_back(RawPtrList& from, T* first) {
    assert(first != nullptr && &from != this);
    T* last = from.tail;
    if (first->prev != nullptr) {
      first->prev->next = nullptr;
      from.tail = first->prev;
    } else {
      from.head = nullptr;
      from.tail = nullptr;
    }
    first->prev = tail;
    if (tail != nullptr) {
      tail->next = first;
    } else {
      head = first;
    }
    tail = last;
  }

  // Unlinks an element of this list and deletes it; returns its successor.
  T* erase(T* item) {
    T* following = item->next;
    delete unlink(item);
    return following;
  }

  // Deletes every element, head first.
  void clear() {
    while (head != nullptr) delete unlink(head);
  }

  T* head = nullptr;
  T* tail = nullptr;
};

}  // namespace common
}  // namespace omr

#endif  // KAVERO_ANALYSIS_RAW_PTR_LIST_H_
