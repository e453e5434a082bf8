#include "platform/locale.h"

namespace platform {

protocol::NumberSeparators SeparatorsOf(const QLocale& locale) {
  return {locale.decimalPoint().toStdString(), locale.groupSeparator().toStdString()};
}

const protocol::NumberSeparators& LocaleSeparators() {
  static const protocol::NumberSeparators separators = SeparatorsOf(QLocale::system());
  return separators;
}

}  // namespace platform
