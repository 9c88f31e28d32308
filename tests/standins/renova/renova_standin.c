/* A stand-in for the maker's updater library. Each call appends one line, the
 * entry point's name and its argument separated by a tab, to the file named by
 * INKLY_RENOVA_RECORD (nothing is written when it is unset). The variants drop
 * an export or refuse to start, chosen by the build. */
#include <stdbool.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#if defined(_WIN32)
#define RENOVA_EXPORT __declspec(dllexport)
#else
#define RENOVA_EXPORT __attribute__((visibility("default")))
#endif

/* Anything but 1 is a refusal; an odd value shows that it is passed back. */
#if defined(RENOVA_REFUSES)
#define RENOVA_INIT_RESULT 7
#else
#define RENOVA_INIT_RESULT 1
#endif

static void record(const char *entry, const char *argument)
{
    const char *path = getenv("INKLY_RENOVA_RECORD");
    if (!path || !*path)
        return;
    FILE *file = fopen(path, "a");
    if (!file)
        return;
    fputs(entry, file);
    fputc('\t', file);
    fputs(argument ? argument : "(null)", file);
    fputc('\n', file);
    fclose(file);
}

#if !defined(RENOVA_WITHOUT_INIT)
RENOVA_EXPORT int32_t Renova_Init(const char *appName)
{
    record("Renova_Init", appName);
    return RENOVA_INIT_RESULT;
}
#endif

#if !defined(RENOVA_WITHOUT_EXIT)
RENOVA_EXPORT void Renova_Exit(const char *appName)
{
    record("Renova_Exit", appName);
}
#endif

/* Turns down an empty name, so callers can see the answer is passed on. */
RENOVA_EXPORT bool Renova_UpdateProduct(const char *appName)
{
    record("Renova_UpdateProduct", appName);
    return appName && *appName;
}
