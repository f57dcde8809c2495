// Export macros of the shared objects. Each shared object is built with its
// SMS_BUILDING_* definition; everything else sees the import side. Symbols are
// hidden by default, so only classes and functions marked here are visible.
#pragma once

#if defined(_WIN32)
#define SMS_DECL_EXPORT __declspec(dllexport)
#define SMS_DECL_IMPORT __declspec(dllimport)
#else
#define SMS_DECL_EXPORT __attribute__((visibility("default")))
#define SMS_DECL_IMPORT __attribute__((visibility("default")))
#endif

#ifdef SMS_BUILDING_BASE
#define BASE_API SMS_DECL_EXPORT
#else
#define BASE_API SMS_DECL_IMPORT
#endif

#ifdef SMS_BUILDING_PLATFORM
#define PLATFORM_API SMS_DECL_EXPORT
#else
#define PLATFORM_API SMS_DECL_IMPORT
#endif

#ifdef SMS_BUILDING_DMG
#define DMG_API SMS_DECL_EXPORT
#else
#define DMG_API SMS_DECL_IMPORT
#endif

#ifdef SMS_BUILDING_NET
#define NET_API SMS_DECL_EXPORT
#else
#define NET_API SMS_DECL_IMPORT
#endif

#ifdef SMS_BUILDING_FILE
#define FILE_API SMS_DECL_EXPORT
#else
#define FILE_API SMS_DECL_IMPORT
#endif

#ifdef SMS_BUILDING_LOGIC
#define SMS_API SMS_DECL_EXPORT
#else
#define SMS_API SMS_DECL_IMPORT
#endif
