// The identifiers of the control's classes, interfaces and type library, as the type
// library's IDL defines them (the header is generated from vexausa.idl).
#pragma once

#include "vexausa.h"
