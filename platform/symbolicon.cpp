#include "platform/symbolicon.h"

#include <QIconEngine>
#include <QPainter>
#include <QPixmap>

#include <array>

// The resource file lives in a static library: nothing references it by name,
// so the linker would drop it unless it is initialised explicitly.
static void initSymbolResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(symbols);
        return true;
    }();
    Q_UNUSED(done);
}

namespace {

struct SymbolInfo
{
    Symbol symbol;
    const char *name;
    // Freedesktop names, most fitting first; symbolic variants are single-coloured
    // like the bundled drawings.
    std::array<const char *, 2> themeNames;
};

constexpr std::array<SymbolInfo, 17> symbols { {
    { Symbol::MagnifyingGlass, "magnifyingglass", { "edit-find-symbolic", "system-search-symbolic" } },
    { Symbol::ClearCircle, "xmark.circle.fill", { "edit-clear-symbolic", nullptr } },
    { Symbol::Gear, "gearshape", { "emblem-system-symbolic", "preferences-system-symbolic" } },
    { Symbol::Pin, "pin.fill", { "view-pin-symbolic", nullptr } },
    { Symbol::ChevronUp, "chevron.up", { "pan-up-symbolic", "go-up-symbolic" } },
    { Symbol::ChevronDown, "chevron.down", { "pan-down-symbolic", "go-down-symbolic" } },
    { Symbol::LockShield, "lock.shield", { "security-high-symbolic", nullptr } },
    { Symbol::Folder, "folder", { "folder-symbolic", nullptr } },
    { Symbol::FolderPlus, "folder.badge.plus", { "folder-new-symbolic", nullptr } },
    { Symbol::Copy, "doc.on.doc", { "edit-copy-symbolic", nullptr } },
    { Symbol::Document, "doc", { "text-x-generic-symbolic", nullptr } },
    { Symbol::Trash, "trash", { "user-trash-symbolic", "edit-delete-symbolic" } },
    { Symbol::Pencil, "pencil", { "document-edit-symbolic", nullptr } },
    { Symbol::InfoCircle, "info.circle.fill", { "dialog-information-symbolic", nullptr } },
    { Symbol::CheckedSquare, "checkmark.square.fill", { "checkbox-checked-symbolic", nullptr } },
    { Symbol::Square, "square", { "checkbox-symbolic", nullptr } },
    { Symbol::SplitRectangle, "rectangle.split.2x1", { nullptr, nullptr } },
} };

// Each entry sits at its symbol's place, which is how infoOf() finds it.
constexpr bool isInEnumOrder()
{
    for (size_t i = 0; i < symbols.size(); ++i) {
        if (static_cast<size_t>(symbols[i].symbol) != i)
            return false;
    }
    return symbols.size() == static_cast<size_t>(Symbol::SplitRectangle) + 1;
}
static_assert(isInEnumOrder(), "the symbol table is out of enum order");

const SymbolInfo &infoOf(Symbol symbol)
{
    return symbols[static_cast<size_t>(symbol)];
}

QImage tinted(QPixmap source, const QColor &tint)
{
    QImage image = source.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), tint);
    return image;
}

// Renders the source icon at the requested size and ratio, then paints it over
// in one colour, so the result is as sharp as the source at every scale.
class TintedIconEngine final : public QIconEngine
{
public:
    TintedIconEngine(QIcon source, QColor tint)
        : m_source(std::move(source))
        , m_tint(tint)
    { }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pixmap = this->pixmap(rect.size() * ratio, mode, state);
        pixmap.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect.topLeft(), pixmap);
    }

    // QIcon asks for device pixels here (the logical size times the ratio) and
    // sets the ratio on the result itself.
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QColor tint = m_tint;
        if (mode == QIcon::Disabled)
            tint.setAlphaF(tint.alphaF() * 0.4f);
        return QPixmap::fromImage(tinted(m_source.pixmap(size, QIcon::Normal, state), tint));
    }

    QPixmap scaledPixmap(const QSize &size, QIcon::Mode mode, QIcon::State state, qreal) override
    {
        return pixmap(size, mode, state);
    }

    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return m_source.actualSize(size, mode, state);
    }

    QIconEngine *clone() const override { return new TintedIconEngine(m_source, m_tint); }
    QString key() const override { return QStringLiteral("TintedIconEngine"); }

private:
    QIcon m_source;
    QColor m_tint;
};

} // namespace

QIcon bundledSymbolIcon(Symbol symbol)
{
    initSymbolResources();
    return QIcon(QStringLiteral(":/symbols/%1.svg").arg(QLatin1String(infoOf(symbol).name)));
}

QIcon symbolIcon(Symbol symbol)
{
    static std::array<QIcon, symbols.size()> cache;
    QIcon &icon = cache[static_cast<size_t>(symbol)];
    if (!icon.isNull())
        return icon;
    for (const char *themeName : infoOf(symbol).themeNames) {
        if (themeName && QIcon::hasThemeIcon(QLatin1String(themeName))) {
            icon = QIcon::fromTheme(QLatin1String(themeName));
            return icon;
        }
    }
    icon = bundledSymbolIcon(symbol);
    return icon;
}

QIcon tintedIcon(const QIcon &icon, const QColor &tint)
{
    return QIcon(new TintedIconEngine(icon, tint));
}

QIcon symbolIcon(Symbol symbol, const QColor &tint)
{
    return tintedIcon(symbolIcon(symbol), tint);
}

QPixmap symbolPixmap(Symbol symbol, int logicalSize, const QColor &tint, qreal devicePixelRatio)
{
    return symbolIcon(symbol, tint).pixmap(QSize(logicalSize, logicalSize), devicePixelRatio);
}
