/* Counts the frames a program shows, for programs that cannot say so themselves: loaded with LD_PRELOAD,
 * it wraps glXSwapBuffers (also when the program or its toolkit looks it up with dlsym or glXGetProcAddress)
 * and keeps the count
 * and the time of the last swap in the file named by SWAP_COUNT_FILE, rewritten in place at every swap. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

typedef void (*SwapFunction)(void*, unsigned long);
typedef void* (*DlsymFunction)(void*, const char*);
typedef void* (*ProcAddressFunction)(const unsigned char*);

static SwapFunction realSwap;
static ProcAddressFunction realProcAddress, realProcAddressArb;
static DlsymFunction realDlsym;
static unsigned long long swaps;
static int countFile = -2;

static DlsymFunction RealDlsym(void) {
    if (!realDlsym) realDlsym = (DlsymFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.34");
    if (!realDlsym) realDlsym = (DlsymFunction)dlvsym(RTLD_NEXT, "dlsym", "GLIBC_2.2.5");
    return realDlsym;
}

static void RecordSwap(void) {
    if (countFile == -2) {
        const char* path = getenv("SWAP_COUNT_FILE");
        countFile = path ? open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644) : -1;
    }
    ++swaps;
    if (countFile < 0) return;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    char line[64];
    int n = snprintf(line, sizeof line, "%20llu %20.6f\n", swaps, now.tv_sec + now.tv_nsec / 1e9);
    if (n > 0 && pwrite(countFile, line, (size_t)n, 0) < 0) countFile = -1;
}

void glXSwapBuffers(void* display, unsigned long drawable) {
    if (!realSwap) realSwap = (SwapFunction)RealDlsym()(RTLD_NEXT, "glXSwapBuffers");
    RecordSwap();
    if (realSwap) realSwap(display, drawable);
}

static void* Wrapped(const char* name, void* found);

static void* LookUp(ProcAddressFunction* real, const char* realName, const unsigned char* name) {
    if (!*real) *real = (ProcAddressFunction)RealDlsym()(RTLD_NEXT, realName);
    return *real ? Wrapped((const char*)name, (*real)(name)) : NULL;
}

void* glXGetProcAddress(const unsigned char* name) {
    return LookUp(&realProcAddress, "glXGetProcAddress", name);
}

void* glXGetProcAddressARB(const unsigned char* name) {
    return LookUp(&realProcAddressArb, "glXGetProcAddressARB", name);
}

/* Our own function in place of the one found, for the swap and the two look-up functions. */
static void* Wrapped(const char* name, void* found) {
    if (!found || !name) return found;
    if (strcmp(name, "glXSwapBuffers") == 0 && found != (void*)glXSwapBuffers) {
        realSwap = (SwapFunction)found;
        return (void*)glXSwapBuffers;
    }
    if (strcmp(name, "glXGetProcAddress") == 0 && found != (void*)glXGetProcAddress) {
        realProcAddress = (ProcAddressFunction)found;
        return (void*)glXGetProcAddress;
    }
    if (strcmp(name, "glXGetProcAddressARB") == 0 && found != (void*)glXGetProcAddressARB) {
        realProcAddressArb = (ProcAddressFunction)found;
        return (void*)glXGetProcAddressARB;
    }
    return found;
}

void* dlsym(void* handle, const char* name) {
    DlsymFunction real = RealDlsym();
    return real ? Wrapped(name, real(handle, name)) : NULL;
}
