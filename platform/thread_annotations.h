// Clang's thread-safety attributes under short names, so that the compiler
// checks which lock guards which state (-Wthread-safety). Other compilers
// see nothing.
//
// Thread rule: declarations only.
#pragma once

#if defined(__clang__)
#define FERRIX_THREAD_ATTRIBUTE(x) __attribute__((x))
#else
#define FERRIX_THREAD_ATTRIBUTE(x)
#endif

#define CAPABILITY(name) FERRIX_THREAD_ATTRIBUTE(capability(name))
#define SCOPED_CAPABILITY FERRIX_THREAD_ATTRIBUTE(scoped_lockable)
#define GUARDED_BY(lock) FERRIX_THREAD_ATTRIBUTE(guarded_by(lock))
#define PT_GUARDED_BY(lock) FERRIX_THREAD_ATTRIBUTE(pt_guarded_by(lock))
#define REQUIRES(...) FERRIX_THREAD_ATTRIBUTE(requires_capability(__VA_ARGS__))
#define EXCLUDES(...) FERRIX_THREAD_ATTRIBUTE(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) FERRIX_THREAD_ATTRIBUTE(acquire_capability(__VA_ARGS__))
#define RELEASE(...) FERRIX_THREAD_ATTRIBUTE(release_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) FERRIX_THREAD_ATTRIBUTE(try_acquire_capability(__VA_ARGS__))
#define RETURN_CAPABILITY(x) FERRIX_THREAD_ATTRIBUTE(lock_returned(x))
#define NO_THREAD_SAFETY_ANALYSIS FERRIX_THREAD_ATTRIBUTE(no_thread_safety_analysis)
