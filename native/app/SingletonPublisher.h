#pragma once

class AppInstanceGuard;

// Hands the native services to the module Zem.Inkly as singletons, by
// instance, in the order in which they come into being at start-up. The
// program and the QML test runner share this one path, so tests see the very
// objects the program does.
namespace SingletonPublisher {

// `guard` is the single-instance guard the entry point owns; the QML test
// runner has none.
void publishSingletons(AppInstanceGuard *guard = nullptr);

} // namespace SingletonPublisher
