#pragma once
// A new compound file (OLE structured storage) holding the given streams, as a
// transform is stored.
#include "transform_content.h"

#include "system/windows_api_win32.h"

#include <string>
#include <vector>

namespace orvh::msp {

// The storage class of installer transforms, {000C1082-0000-0000-C000-000000000046}.
extern const CLSID kTransformStorageClass;

void WriteCompoundFile(const std::wstring& path, const CLSID& storageClass, const std::vector<NamedStream>& streams);

} // namespace orvh::msp
