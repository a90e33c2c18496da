#ifndef CATRawCollPV_h
#define CATRawCollPV_h
// List of untyped pointers; the list never owns what they point to.
#include "CATListVal.h"

class CATRawCollPV : public CATListVal<void*> {
 public:
  // Sorts with a compare function taking two items; a negative answer puts the first before the second.
  void QuickSort(int (*compare)(const void*, const void*)) {
    Sort([compare](void* a, void* b) { return compare(a, b) < 0; });
  }
};

#endif
