// The user's number separators.
#pragma once

#include <QLocale>

#include "protocol/number_text.h"

namespace platform {

// The decimal and thousands separators of `locale`.
protocol::NumberSeparators SeparatorsOf(const QLocale& locale);

// Those of the locale the environment selects (LC_ALL, LC_NUMERIC, LANG), read once.
const protocol::NumberSeparators& LocaleSeparators();

}  // namespace platform
