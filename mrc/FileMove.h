#pragma once
// Moving the finished PDF over its final name: the platforms differ in
// whether a rename may replace an existing file.
namespace corv::mrc {

// Renames `from` to `to`, replacing `to` when it exists; false on failure.
bool MoveReplacing(const char *from, const char *to);

}  // namespace corv::mrc
