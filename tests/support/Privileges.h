#pragma once
// Running a piece of a test without root's privileges. Test machines often run as root,
// where file permissions do not bind; the body runs in a forked child that has become the
// user "nobody" (uid and gid 65534, no supplementary groups) when the test runs as root, and
// runs as it is otherwise. The child cannot report through gtest: the body returns a code
// (0 for success) that comes back as the result.
#include <functional>
#include <string>

constexpr int kNobodyId = 65534;

// The body's return code, or -1 when the child could not be started or did not exit
// normally (killed by a signal, including a timeout alarm of `seconds`).
int RunUnprivileged(const std::function<int()>& body, unsigned seconds = 20);
// The same without dropping anything: for a body that might hang or crash the test program.
int RunInChild(const std::function<int()>& body, unsigned seconds = 20);

// Lets "nobody" reach a folder of a test tree: adds search (and read) permission for
// others on it and on every folder above it inside the tree root.
void OpenToOthers(const std::string& treeRoot, const std::string& nativeFolder);
