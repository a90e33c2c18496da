#ifndef CATListVal_h
#define CATListVal_h
// Value lists with the platform's 1-based positions. Out-of-range positions throw std::out_of_range.
#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

template <class T>
class CATListVal {
 public:
  CATListVal() = default;
  CATListVal(std::initializer_list<T> items) : items_(items) {}

  int Size() const { return static_cast<int>(items_.size()); }
  void Append(const T& item) { items_.push_back(item); }
  void Append(const CATListVal& other) {
    items_.insert(items_.end(), other.items_.begin(), other.items_.end());
  }
  // Inserts before the given position; Size()+1 appends.
  void InsertAt(int position, const T& item) {
    if (position < 1 || position > Size() + 1) Throw(position);
    items_.insert(items_.begin() + (position - 1), item);
  }
  void RemovePosition(int position) {
    Check(position);
    items_.erase(items_.begin() + (position - 1));
  }
  // Removes every item equal to value; returns how many.
  int RemoveValue(const T& value) {
    auto before = items_.size();
    items_.erase(std::remove(items_.begin(), items_.end(), value), items_.end());
    return static_cast<int>(before - items_.size());
  }
  void RemoveAll() { items_.clear(); }
  // 1-based position of the first item equal to value at or after from; 0 when absent.
  int Locate(const T& value, int from = 1) const {
    for (int i = std::max(from, 1); i <= Size(); ++i)
      if (items_[i - 1] == value) return i;
    return 0;
  }
  void Swap(int a, int b) {
    Check(a);
    Check(b);
    std::swap(items_[a - 1], items_[b - 1]);
  }
  T& operator[](int position) {
    Check(position);
    return items_[position - 1];
  }
  const T& operator[](int position) const {
    Check(position);
    return items_[position - 1];
  }
  bool operator==(const CATListVal& other) const { return items_ == other.items_; }
  bool operator!=(const CATListVal& other) const { return items_ != other.items_; }

  // Sorts with a platform compare function (negative: a before b), stable for equal items.
  template <class Compare>
  void Sort(Compare less) {
    std::stable_sort(items_.begin(), items_.end(), less);
  }

  const std::vector<T>& Items() const { return items_; }
  typename std::vector<T>::const_iterator begin() const { return items_.begin(); }
  typename std::vector<T>::const_iterator end() const { return items_.end(); }

 private:
  void Check(int position) const {
    if (position < 1 || position > Size()) Throw(position);
  }
  [[noreturn]] void Throw(int position) const {
    throw std::out_of_range("list position " + std::to_string(position) + " outside 1.." +
                            std::to_string(Size()));
  }
  std::vector<T> items_;
};

#endif
