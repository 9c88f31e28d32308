/* A stand-in for the maker's statistics library. Each call appends one line,
 * the entry point's name and its arguments separated by tabs, to the file
 * named by INKLY_TALLY_RECORD (nothing is written when it is unset). The
 * variants drop an export or refuse to start, chosen by the build. */
#include <stdbool.h>
#include <stdio.h>
#include <stdlib.h>

#if defined(_WIN32)
#define TALLY_EXPORT __declspec(dllexport)
#else
#define TALLY_EXPORT __attribute__((visibility("default")))
#endif

#if defined(TALLY_REFUSES)
#define TALLY_STARTS false
#else
#define TALLY_STARTS true
#endif

static void record(const char *entry, const char *first, const char *second)
{
    const char *path = getenv("INKLY_TALLY_RECORD");
    if (!path || !*path)
        return;
    FILE *file = fopen(path, "a");
    if (!file)
        return;
    fputs(entry, file);
    if (first) {
        fputc('\t', file);
        fputs(first, file);
    }
    if (second) {
        fputc('\t', file);
        fputs(second, file);
    }
    fputc('\n', file);
    fclose(file);
}

TALLY_EXPORT bool Tally_Initialize(const char *productName)
{
    record("Tally_Initialize", productName ? productName : "(null)", NULL);
    return TALLY_STARTS;
}

#if !defined(TALLY_WITHOUT_INITIALIZE_EX)
TALLY_EXPORT bool Tally_InitializeEx(const char *productName, const char *companyName)
{
    record("Tally_InitializeEx", productName ? productName : "(null)", companyName ? companyName : "(null)");
    return TALLY_STARTS;
}
#endif

#if !defined(TALLY_WITHOUT_FINALIZE)
TALLY_EXPORT void Tally_Finalize(void)
{
    record("Tally_Finalize", NULL, NULL);
}
#endif

#if !defined(TALLY_WITHOUT_EXECUTE_ACTION)
/* Turns down an empty identifier, so callers can see the answer is passed on. */
TALLY_EXPORT bool Tally_ExecuteAction(const char *actionId)
{
    record("Tally_ExecuteAction", actionId ? actionId : "(null)", NULL);
    return actionId && *actionId;
}
#endif
