#pragma once

// Hands the native services to the module Zem.Inkly as singletons, by
// instance, in the order in which they come into being at start-up. The
// program and the QML test runner share this one path, so tests see the very
// objects the program does.
namespace SingletonPublisher {

void publishSingletons();

} // namespace SingletonPublisher
