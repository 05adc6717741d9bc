#include "shortcuts/shortcut.h"

#include "platform/keyboardlayout.h"
#include "platform/x11/xkbkeyboardlayout.h"
#include "shortcuts/specialkey.h"
#include "shortcuts/texts.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QKeyEvent>
#include <QTextBoundaryFinder>

#include <memory>

namespace GlobalShortcuts {

namespace {

KeyboardLayout *currentLayout = nullptr;

// A fixed keymap, not a system service: it is what a program without a display
// (and every unit test) types with.
KeyboardLayout &builtinLayout()
{
    static const std::unique_ptr<XkbKeyboardLayout> layout = XkbKeyboardLayout::usLayout();
    return *layout;
}

constexpr qint64 maxKeyCode = 0xFFFF;

int graphemeCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

std::optional<qint64> wholeNumber(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    // toInteger() answers its fallback for fractions and for numbers beyond 64 bits;
    // two different fallbacks tell that apart from a stored 0 or 1.
    const qint64 first = value.toInteger(0);
    const qint64 second = value.toInteger(1);
    if (first != second)
        return std::nullopt;
    return first;
}

} // namespace

KeyboardLayout &keyboardLayout()
{
    return currentLayout ? *currentLayout : builtinLayout();
}

void setKeyboardLayout(KeyboardLayout *layout)
{
    currentLayout = layout;
}

bool isSpecialKey(qint64 keyCode)
{
    return specialKey(keyCode) != nullptr;
}

std::optional<QString> keyToCharacter(qint64 keyCode, const KeyboardLayout &layout)
{
    if (keyCode < 0 || keyCode > maxKeyCode || isSpecialKey(keyCode))
        return std::nullopt;
    const QString text = layout.text(keyCode);
    if (graphemeCount(text) != 1)
        return std::nullopt;
    return text;
}

Shortcut::Shortcut(qint64 carbonKeyCode, qint64 carbonModifiers)
    : m_carbonKeyCode(carbonKeyCode)
    , m_carbonModifiers(normalizedCarbonModifiers(carbonModifiers))
{ }

Shortcut::Shortcut(Key key, ModifierFlags modifiers)
    : Shortcut(key.rawValue(), cocoaToCarbonModifiers(modifiers))
{ }

std::optional<Shortcut> Shortcut::fromKeyEvent(const QKeyEvent &event, const KeyboardLayout &layout)
{
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease)
        return std::nullopt;
    const std::optional<qint64> keyCode = layout.keyCode(event.nativeScanCode());
    if (!keyCode)
        return std::nullopt;
    ModifierFlags flags = modifierFlags(event.modifiers());
    flags.setFlag(ModifierFlag::Function, false);
    return Shortcut(*keyCode, cocoaToCarbonModifiers(flags));
}

std::optional<Shortcut> Shortcut::fromJson(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    const std::optional<qint64> keyCode = wholeNumber(object.value(QStringLiteral("carbonKeyCode")));
    const std::optional<qint64> modifiers = wholeNumber(object.value(QStringLiteral("carbonModifiers")));
    if (!keyCode || !modifiers)
        return std::nullopt;
    return Shortcut(Unnormalized {}, *keyCode, *modifiers);
}

QByteArray Shortcut::toJson() const
{
    // QJsonObject keeps its keys sorted, which puts "carbonKeyCode" first.
    const QJsonObject object {
        { QStringLiteral("carbonKeyCode"), m_carbonKeyCode },
        { QStringLiteral("carbonModifiers"), m_carbonModifiers },
    };
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QString Shortcut::description(const KeyboardLayout &layout) const
{
    QString text = modifierText(modifiers());
    if (const SpecialKeyInfo *special = specialKey(m_carbonKeyCode)) {
        if (special->key == SpecialKey::Space)
            return text + capitalized(localizedString(QStringLiteral("space_key")));
        return text + QLatin1String(special->name);
    }
    return text + capitalized(keyToCharacter(m_carbonKeyCode, layout).value_or(QString(QChar(0xFFFD))));
}

std::optional<QString> Shortcut::menuItemKeyEquivalent(const KeyboardLayout &layout) const
{
    if (const SpecialKeyInfo *special = specialKey(m_carbonKeyCode)) {
        if (!special->menuKeyEquivalent)
            return std::nullopt;
        return QString::fromUtf16(special->menuKeyEquivalent);
    }
    return keyToCharacter(m_carbonKeyCode, layout);
}

std::optional<QKeySequence> Shortcut::keySequence(const KeyboardLayout &layout) const
{
    const ModifierFlags flags = modifiers();
    if (flags.testFlag(ModifierFlag::Function))
        return std::nullopt;
    int key = Qt::Key_unknown;
    if (const SpecialKeyInfo *special = specialKey(m_carbonKeyCode)) {
        key = special->qtKey;
    } else if (const std::optional<QString> character = keyToCharacter(m_carbonKeyCode, layout)) {
        // Qt names a character key by its upper-case code point.
        const QList<uint> codePoints = character->toUpper().toUcs4();
        if (codePoints.size() == 1)
            key = int(codePoints.constFirst());
    }
    if (key == Qt::Key_unknown)
        return std::nullopt;
    return QKeySequence(QKeyCombination(qtModifiers(flags), Qt::Key(key)));
}

std::optional<MenuItem> Shortcut::menuItemWithMatchingShortcut(
    const Menu &menu, const KeyboardLayout &layout) const
{
    const ModifierFlags flags = modifiers();
    for (const MenuItem &item : menu) {
        QString equivalent = item.keyEquivalent;
        ModifierFlags mask = item.keyEquivalentModifierMask;
        // An upper-case key equivalent is the shifted key.
        if (flags.testFlag(ModifierFlag::Shift) && equivalent != equivalent.toLower()) {
            equivalent = equivalent.toLower();
            mask |= ModifierFlag::Shift;
        }
        const std::optional<QString> own = menuItemKeyEquivalent(layout);
        if (own && *own == equivalent && flags == mask)
            return item;
        if (!item.submenu.isEmpty()) {
            if (std::optional<MenuItem> found = menuItemWithMatchingShortcut(item.submenu, layout))
                return found;
        }
    }
    return std::nullopt;
}

} // namespace GlobalShortcuts
