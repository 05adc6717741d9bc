#include "notes/notefile.h"

QString noteSearchKey(const QString &name)
{
    // Most names are ASCII, which is composed already: only capitals change,
    // and a name without any is its own key.
    bool hasCapital = false;
    for (const QChar c : name) {
        const char16_t unit = c.unicode();
        if (unit >= 0x80)
            return name.toLower().normalized(QString::NormalizationForm_C);
        hasCapital = hasCapital || (unit >= u'A' && unit <= u'Z');
    }
    return hasCapital ? name.toLower() : name;
}
