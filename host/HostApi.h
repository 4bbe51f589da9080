// Export marker for the host-side API of telvacore (sessions, logger, schema).
#ifndef STRATA_HOST_HOSTAPI_H
#define STRATA_HOST_HOSTAPI_H

#include "plugin/telva.h"

#define TELVA_HOST_API TELVA_API

#endif
