#pragma once
// A message box that a GUI test did not ask for blocks the test's thread
// until somebody answers it: under ctest that is the time limit, and then
// nothing says what the box was. Every in-process GUI test program links
// the watch (tests/support/unexpected_box_watch.cpp): while no answerer is
// expecting boxes, a box of the test's own process fails the running test at
// once with its caption and text, and is answered No (or OK) so that the
// test goes on to its end.

namespace ondrel::test {

// Boxes are expected while one of these lives: the test answers them itself.
class ExpectingBoxes {
 public:
  ExpectingBoxes();
  ~ExpectingBoxes();
  ExpectingBoxes(const ExpectingBoxes&) = delete;
  ExpectingBoxes& operator=(const ExpectingBoxes&) = delete;
};

}  // namespace ondrel::test
