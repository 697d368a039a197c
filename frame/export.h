// Marks the few symbols the host may resolve by name. Everything else in the
// plug-in is compiled with hidden visibility.
#pragma once

#if defined(_WIN32)
#define TWINEL_EXPORT __declspec(dllexport)
#else
#define TWINEL_EXPORT __attribute__((visibility("default")))
#endif
