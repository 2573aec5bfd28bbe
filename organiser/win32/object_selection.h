#pragma once
// A drawing's selection of a pen, brush or font into a device context.
// Not an owner: it owns nothing and puts the previous object back.

#include <windows.h>

namespace ondrel {

// Selects object into dc and selects the previous object again when it goes
// out of scope. The object must outlive the selection.
class ObjectSelection {
 public:
  ObjectSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ObjectSelection() {
    if (previous_ != nullptr && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ObjectSelection(const ObjectSelection&) = delete;
  ObjectSelection& operator=(const ObjectSelection&) = delete;

 private:
  HDC dc_;  // not owned
  HGDIOBJ previous_;
};

}  // namespace ondrel
