#include "VariantArgs.h"

#include "platform/ComTypes.h"

namespace standin {

namespace {

// The argument converted to `type`, looking through a reference; VT_EMPTY and
// VT_ERROR (an omitted optional argument) count as missing.
bool Converted(const VARIANT* value, VARTYPE type, marlin::Variant& out)
{
    if (!value) return false;
    marlin::Variant direct;
    // mingw declares the source of VariantCopyInd non-const; it is only read.
    if (FAILED(::VariantCopyInd(direct.put(), const_cast<VARIANT*>(value)))) return false;
    const VARTYPE held = direct.get().vt;
    if (held == VT_EMPTY || held == VT_ERROR || held == VT_NULL) return false;
    return SUCCEEDED(::VariantChangeType(out.put(), &direct.get(), 0, type));
}

} // namespace

std::optional<std::wstring> TextArgument(const VARIANT* value)
{
    marlin::Variant text;
    if (!Converted(value, VT_BSTR, text)) return std::nullopt;
    return text.str();
}

std::optional<long> NumberArgument(const VARIANT* value)
{
    marlin::Variant number;
    if (!Converted(value, VT_I4, number)) return std::nullopt;
    return number.get().lVal;
}

std::optional<bool> FlagArgument(const VARIANT* value)
{
    marlin::Variant flag;
    if (!Converted(value, VT_BOOL, flag)) return std::nullopt;
    return flag.get().boolVal != VARIANT_FALSE;
}

} // namespace standin
