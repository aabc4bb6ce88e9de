#pragma once

#include <functional>
#include <string>

namespace varnok::testing {

// Tests of permissions need a user the file system holds back. Root, as in CI,
// is not held back, so such a test runs its body in a child process that gives
// up root first and becomes "nobody".

// Whether a child can run without root rights (always, for any other user).
bool canRunUnprivileged();

// Runs body in a child process without root rights, after handing the given
// folder and everything in it to that user so the child may work in it. Returns
// what the body returned; a body that throws or a child that cannot give up
// its rights gives a text saying so, starting with "child: ".
std::string runUnprivileged(const std::string &folder, const std::function<std::string()> &body);

// Runs test checks (gtest expectations) the same way; their failures are
// reported by the child. Empty when every check held.
std::string checkUnprivileged(const std::string &folder, const std::function<void()> &checks);

} // namespace varnok::testing
