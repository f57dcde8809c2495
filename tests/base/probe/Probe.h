// Test-only singleton whose storage lives in the probe shared object.
#pragma once

#include "contracts/base/CSingleton.h"
#include "contracts/export.h"

#ifdef PROBE_BUILDING
#define PROBE_API SMS_DECL_EXPORT
#else
#define PROBE_API SMS_DECL_IMPORT
#endif

class PROBE_API Probe : public Base::CSingleton<Probe> {};

SMS_SINGLETON_DECLARE(PROBE_API, Probe)

// The instance as the shared object itself sees it.
PROBE_API Probe* probeFromLibrary();
