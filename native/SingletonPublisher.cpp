#include "SingletonPublisher.h"

#include "CliConstants.h"
#include "DrawingStore.h"

#include <QtQml/qqml.h>

namespace SingletonPublisher {

namespace {
constexpr const char *kModuleUri = "Zem.Inkly";
constexpr int kMajor = 1;
constexpr int kMinor = 0;

template<typename T>
void publish(const char *name, T *instance)
{
    qmlRegisterSingletonInstance<T>(kModuleUri, kMajor, kMinor, name, instance);
}
} // namespace

void publishSingletons()
{
    static bool published = false;
    if (published)
        return;
    published = true;

    publish("DrawingStore", DrawingStore::instance());
    publish("CliConstants", CliConstants::instance());
}

} // namespace SingletonPublisher
