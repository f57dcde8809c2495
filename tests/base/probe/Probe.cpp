#include "tests/base/probe/Probe.h"

SMS_SINGLETON_DEFINE(Probe)

Probe* probeFromLibrary() { return Base::CSingleton<Probe>::getSingletonPtr(); }
