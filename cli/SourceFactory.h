#pragma once

#include "VxIBase.h"

#include <memory>

// The source component for a specification's type; raises EVxIError naming the type
// when the runner cannot read that kind of source.
std::unique_ptr<TVxImportBaseComponent> CreateSourceComponent(TTableTypeImport type);
