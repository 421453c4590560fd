// The factory bank document (resources/FactoryBank.xml), compiled into the plug-in.
#pragma once

namespace FactoryBankData
{
extern const char text[];  // UTF-8, zero-terminated
extern const int size;     // bytes, without the terminating zero
}  // namespace FactoryBankData
