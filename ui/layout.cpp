#include "ui/layout.h"

#include "ui/cancellation.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <numeric>

namespace ui {

namespace {

class LayoutElement final : public Element
{
public:
    explicit LayoutElement(std::shared_ptr<const Layout> layout)
        : m_layout(std::move(layout))
        , m_stack(dynamic_cast<const StackLayout *>(m_layout.get()))
    { }

protected:
    // A stack's share-out is kept with each size it measured: placing and baselines
    // for that proposal read it instead of sharing out again.
    std::optional<double> measureBaseline(const ProposedSize &proposal, QSizeF size, bool last) override
    {
        if (m_stack)
            return m_stack->baseline(size, subviews(), last, shares(proposal));
        return m_layout->baseline(proposal, size, subviews(), last);
    }
    ProposalAxes proposalAxes() override { return m_layout->followedAxes(subviews()); }
    void childReplaced(Element &, Element &) override { m_subviews.clear(); }

    QSizeF measure(const ProposedSize &proposal) override
    {
        if (!m_stack)
            return m_layout->sizeThatFits(proposal, subviews());
        auto shares = std::make_shared<const StackLayout::Shares>(m_stack->allocate(proposal, subviews()));
        const QSizeF size = m_stack->sizeThatFits(*shares, subviews());
        setMeasuredScratch(std::move(shares));
        return size;
    }
    std::optional<double> knownWidth(const ProposedSize &proposal) override
    {
        return m_stack ? m_stack->knownWidth(proposal, subviews()) : std::nullopt;
    }
    void placeChildren(const ProposedSize &proposal) override
    {
        if (m_stack)
            m_stack->placeSubviews(m_frame, subviews(), shares(proposal));
        else
            m_layout->placeSubviews(m_frame, proposal, subviews());
    }

private:
    const LayoutSubviews &subviews()
    {
        if (m_subviews.size() != children().size()) {
            m_subviews.clear();
            m_subviews.reserve(children().size());
            for (const ElementPtr &child : children())
                m_subviews.emplace_back(*child);
        }
        return m_subviews;
    }

    const StackLayout::Shares &shares(const ProposedSize &proposal)
    {
        return *static_cast<const StackLayout::Shares *>(measuredScratch(proposal));
    }

    std::shared_ptr<const Layout> m_layout;
    const StackLayout *m_stack; // m_layout when it is a stack
    LayoutSubviews m_subviews;
};

View layoutWithAxis(
    std::shared_ptr<const Layout> layout, std::vector<View> children, std::optional<Axis> axis)
{
    return View::make([layout, children = std::move(children), axis](
                          const EnvironmentValues &env, const ResolveScope &scope) -> ElementPtr {
        EnvironmentValues inner = env;
        if (inner.get<StackAxisKey>() != axis)
            inner.set<StackAxisKey>(axis);
        auto element = std::make_unique<LayoutElement>(layout);
        quint64 position = 0;
        for (const View &child : children) {
            // A long document is thousands of children: work that was cut short ends here.
            if (CancellationToken::isCurrentCancelled())
                break;
            const ResolveScope childScope = scope.child(position++);
            if (child.isEmpty())
                continue;
            ElementPtr resolved = child.resolve(inner, childScope);
            if (!resolved->isEmpty())
                element->addChild(std::move(resolved));
        }
        return element;
    });
}

thread_local bool measuresInParallel = false;

// Fewer subviews are measured faster than threads start.
constexpr size_t parallelThreshold = 64;
// Claimed a few at a time: one subview may be a long paragraph, the next a rule.
constexpr size_t claimedTogether = 4;
constexpr int maxHelpers = 7;

// Subviews measured by whichever thread claims them first. The calling thread takes
// part, so the batch finishes even when no helper ever starts; a helper that starts
// late finds nothing left and touches no element.
class MeasureBatch
{
public:
    MeasureBatch(const LayoutSubviews &subviews, const ProposedSize &proposal)
        : m_proposal(proposal)
        , m_pass(Element::layoutPass())
        , m_cancellation(CancellationToken::current())
    {
        m_elements.reserve(subviews.size());
        for (const LayoutSubview &subview : subviews)
            m_elements.push_back(&subview.element());
    }

    void work()
    {
        // Nested stacks are measured by whoever claimed them, alone.
        const ParallelMeasuring alone(false);
        const CancellationToken::Scope cancellation(m_cancellation);
        const quint64 ownPass = Element::layoutPass();
        Element::joinLayoutPass(m_pass);
        measure();
        Element::joinLayoutPass(ownPass);
    }

    void waitUntilMeasured()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_finished.wait(lock, [this] { return m_done.load() == m_elements.size(); });
    }

private:
    void measure()
    {
        const size_t count = m_elements.size();
        for (;;) {
            const size_t first = m_next.fetch_add(claimedTogether);
            if (first >= count)
                return;
            const size_t end = std::min(count, first + claimedTogether);
            for (size_t i = first; i < end; ++i)
                m_elements[i]->sizeThatFits(m_proposal);
            if (m_done.fetch_add(end - first) + (end - first) == count) {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_finished.notify_all();
            }
        }
    }

    std::vector<Element *> m_elements;
    ProposedSize m_proposal;
    quint64 m_pass;
    const CancellationToken m_cancellation; // the work the batch is part of
    std::atomic<size_t> m_next { 0 };
    std::atomic<size_t> m_done { 0 };
    std::mutex m_mutex;
    std::condition_variable m_finished;
};

// Fills the subviews' caches for `proposal`, side by side when allowed and worth it.
void measureAhead(const LayoutSubviews &subviews, const ProposedSize &proposal)
{
    if (!measuresInParallel || subviews.size() < parallelThreshold)
        return;
    const int helpers = std::min(maxHelpers, QThread::idealThreadCount() - 1);
    if (helpers <= 0)
        return;
    auto batch = std::make_shared<MeasureBatch>(subviews, proposal);
    for (int i = 0; i < helpers; ++i)
        layoutThreads().start([batch] { batch->work(); });
    batch->work();
    batch->waitUntilMeasured();
}

double baselineOrBottom(const LayoutSubview &subview, const ProposedSize &proposal, QSizeF size, bool last)
{
    return subview.baseline(proposal, last).value_or(size.height());
}

} // namespace

void LayoutSubview::place(QPointF position, UnitPoint anchor, const ProposedSize &proposal) const
{
    const QSizeF size = m_element->sizeThatFits(proposal);
    const QPointF origin(position.x() - anchor.x * size.width(), position.y() - anchor.y * size.height());
    m_element->place(QRectF(origin, size), proposal);
}

Layout::~Layout() = default;

std::optional<double> Layout::baseline(
    const ProposedSize &proposal, QSizeF size, const LayoutSubviews &subviews, bool last) const
{
    if (subviews.empty())
        return std::nullopt;
    // Placed on trial at the origin: the container's own placement comes after every
    // question about its baseline and places (or moves) the subviews again.
    placeSubviews(QRectF(QPointF(0, 0), size), proposal, subviews);
    std::optional<double> result;
    for (const LayoutSubview &subview : subviews) {
        const QRectF frame = subview.element().frame();
        if (const auto line = subview.baseline(subview.element().placedProposal(), last)) {
            const double y = frame.y() + *line;
            result = !result ? y : (last ? std::max(*result, y) : std::min(*result, y));
        }
    }
    return result;
}

ProposalAxes Layout::followedAxes(const LayoutSubviews &) const
{
    return {};
}

namespace {
ProposalAxes followedByAny(const LayoutSubviews &subviews)
{
    ProposalAxes axes = ProposalAxes::none();
    for (const LayoutSubview &subview : subviews)
        axes = axes | subview.followedAxes();
    return axes;
}
} // namespace

QThreadPool &layoutThreads()
{
    static QThreadPool *const threads = [] {
        auto *pool = new QThreadPool;
        pool->setExpiryTimeout(-1);
        // Waited for where the application waits for the global pool, and left to the
        // end of the process: work still running after the application (freeing a
        // long note) would meet its fonts gone, and a pool destroyed with the statics.
        qAddPostRoutine([] { layoutThreads().waitForDone(); });
        return pool;
    }();
    return *threads;
}

ParallelMeasuring::ParallelMeasuring(bool enabled)
    : m_previous(std::exchange(measuresInParallel, enabled))
{ }

ParallelMeasuring::~ParallelMeasuring()
{
    measuresInParallel = m_previous;
}

View LayoutView(std::shared_ptr<const Layout> layout, std::vector<View> children)
{
    return layoutWithAxis(std::move(layout), std::move(children), std::nullopt);
}

StackLayout::StackLayout(Axis axis, int crossAlignment, std::optional<double> spacing)
    : m_axis(axis)
    , m_crossAlignment(crossAlignment)
    , m_spacing(spacing.value_or(defaultSpacing))
{ }

std::shared_ptr<const StackLayout> StackLayout::horizontal(
    VerticalAlignment alignment, std::optional<double> spacing)
{
    return std::make_shared<const StackLayout>(Axis::Horizontal, int(alignment), spacing);
}

std::shared_ptr<const StackLayout> StackLayout::vertical(
    HorizontalAlignment alignment, std::optional<double> spacing)
{
    return std::make_shared<const StackLayout>(Axis::Vertical, int(alignment), spacing);
}

bool StackLayout::alignsBaselines() const
{
    return m_axis == Axis::Horizontal
        && (VerticalAlignment(m_crossAlignment) == VerticalAlignment::FirstTextBaseline
            || VerticalAlignment(m_crossAlignment) == VerticalAlignment::LastTextBaseline);
}

// The stack's share-out along its axis: the space left after spacing goes first to
// the higher layout priorities (keeping the minimum of the lower ones in reserve),
// and within one priority to the least flexible subviews first, each offered an
// equal share of what is left.
StackLayout::Shares StackLayout::allocate(const ProposedSize &proposal, const LayoutSubviews &subviews) const
{
    const size_t count = subviews.size();
    std::vector<Share> shares(count);
    const std::optional<double> offered = m_axis == Axis::Horizontal ? proposal.width : proposal.height;
    const std::optional<double> crossOffer = m_axis == Axis::Horizontal ? proposal.height : proposal.width;
    auto makeProposal = [&](std::optional<double> alongValue) {
        return m_axis == Axis::Horizontal ? ProposedSize { alongValue, crossOffer }
                                          : ProposedSize { crossOffer, alongValue };
    };
    if (!offered) {
        // Each subview is asked this one proposal, whatever the others answer.
        measureAhead(subviews, makeProposal(std::nullopt));
        for (size_t i = 0; i < count; ++i) {
            shares[i].proposal = makeProposal(std::nullopt);
            shares[i].size = subviews[i].sizeThatFits(shares[i].proposal);
        }
        return shares;
    }

    std::vector<double> minimum(count), flexibility(count);
    for (size_t i = 0; i < count; ++i) {
        minimum[i] = m_axis == Axis::Horizontal ? subviews[i].widthThatFits(makeProposal(0.0))
                                                : along(subviews[i].sizeThatFits(makeProposal(0.0)));
        const double maximum = along(subviews[i].sizeThatFits(makeProposal(infinity)));
        flexibility[i] = maximum - minimum[i];
    }
    std::vector<size_t> order(count);
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (subviews[a].priority() != subviews[b].priority())
            return subviews[a].priority() > subviews[b].priority();
        return flexibility[a] < flexibility[b];
    });

    double remaining = *offered - m_spacing * double(count > 0 ? count - 1 : 0);
    size_t groupStart = 0;
    while (groupStart < count) {
        const double priority = subviews[order[groupStart]].priority();
        size_t groupEnd = groupStart;
        while (groupEnd < count && subviews[order[groupEnd]].priority() == priority)
            ++groupEnd;
        double reserved = 0;
        for (size_t k = groupEnd; k < count; ++k)
            reserved += minimum[order[k]];
        double available = remaining - reserved;
        for (size_t k = groupStart; k < groupEnd; ++k) {
            const size_t i = order[k];
            const double share = std::max(0.0, available / double(groupEnd - k));
            shares[i].proposal = makeProposal(std::isfinite(share) ? share : infinity);
            shares[i].size = subviews[i].sizeThatFits(shares[i].proposal);
            available -= along(shares[i].size);
            remaining -= along(shares[i].size);
        }
        groupStart = groupEnd;
    }
    return shares;
}

std::optional<double> StackLayout::knownWidth(
    const ProposedSize &proposal, const LayoutSubviews &subviews) const
{
    // Offered no height, every subview is asked the one proposal, and the column is as
    // wide as the widest answer.
    if (m_axis != Axis::Vertical || proposal.height)
        return std::nullopt;
    double widest = 0;
    for (const LayoutSubview &subview : subviews)
        widest = std::max(widest, subview.widthThatFits({ proposal.width, std::nullopt }));
    return widest;
}

QSizeF StackLayout::sizeThatFits(const ProposedSize &proposal, const LayoutSubviews &subviews) const
{
    return sizeThatFits(allocate(proposal, subviews), subviews);
}

QSizeF StackLayout::sizeThatFits(const Shares &shares, const LayoutSubviews &subviews) const
{
    if (subviews.empty())
        return { 0, 0 };
    double total = m_spacing * double(subviews.size() - 1);
    double cross = 0;
    double ascent = 0, descent = 0;
    for (size_t i = 0; i < shares.size(); ++i) {
        const QSizeF size = shares[i].size;
        total += along(size);
        cross = std::max(cross, across(size));
        if (alignsBaselines()) {
            const double line = baselineOrBottom(subviews[i], shares[i].proposal, size,
                VerticalAlignment(m_crossAlignment) == VerticalAlignment::LastTextBaseline);
            ascent = std::max(ascent, line);
            descent = std::max(descent, size.height() - line);
        }
    }
    if (alignsBaselines())
        cross = ascent + descent;
    return m_axis == Axis::Horizontal ? QSizeF(total, cross) : QSizeF(cross, total);
}

void StackLayout::placeSubviews(
    const QRectF &bounds, const ProposedSize &proposal, const LayoutSubviews &subviews) const
{
    placeSubviews(bounds, subviews, allocate(proposal, subviews));
}

void StackLayout::placeSubviews(
    const QRectF &bounds, const LayoutSubviews &subviews, const Shares &shares) const
{
    const bool last = VerticalAlignment(m_crossAlignment) == VerticalAlignment::LastTextBaseline;
    double ascent = 0;
    if (alignsBaselines()) {
        for (size_t i = 0; i < shares.size(); ++i)
            ascent
                = std::max(ascent, baselineOrBottom(subviews[i], shares[i].proposal, shares[i].size, last));
    }
    double position = m_axis == Axis::Horizontal ? bounds.x() : bounds.y();
    for (size_t i = 0; i < shares.size(); ++i) {
        const QSizeF size = shares[i].size;
        QPointF origin;
        if (m_axis == Axis::Horizontal) {
            double y;
            if (alignsBaselines())
                y = bounds.y() + ascent - baselineOrBottom(subviews[i], shares[i].proposal, size, last);
            else
                y = bounds.y()
                    + alignOffset(VerticalAlignment(m_crossAlignment), bounds.height(), size.height());
            origin = QPointF(position, y);
            position += size.width() + m_spacing;
        } else {
            origin = QPointF(
                bounds.x() + alignOffset(HorizontalAlignment(m_crossAlignment), bounds.width(), size.width()),
                position);
            position += size.height() + m_spacing;
        }
        // Placed at the size the share-out gave, with the proposal it was measured
        // with: a subview asked again with its own size may share that size out anew
        // among what it holds (a stack of images that stretch to what they are offered).
        subviews[i].element().place(QRectF(origin, size), shares[i].proposal);
    }
}

std::optional<double> StackLayout::baseline(
    const ProposedSize &proposal, QSizeF size, const LayoutSubviews &subviews, bool last) const
{
    // The share-out for this proposal asks only what measuring for it asked: every
    // answer comes from the subviews' caches.
    return baseline(size, subviews, last, allocate(proposal, subviews));
}

std::optional<double> StackLayout::baseline(
    QSizeF size, const LayoutSubviews &subviews, bool last, const Shares &shares) const
{
    if (subviews.empty())
        return std::nullopt;
    if (m_axis == Axis::Vertical) {
        // The first line of the first subview, or the last line of the last one.
        double offset = 0;
        for (size_t i = 0; i < shares.size(); ++i) {
            const bool wanted = last ? i + 1 == shares.size() : i == 0;
            if (wanted) {
                if (auto line = subviews[i].baseline(shares[i].proposal, last))
                    return offset + *line;
                return std::nullopt;
            }
            offset += shares[i].size.height() + m_spacing;
        }
        return std::nullopt;
    }
    if (alignsBaselines()) {
        std::optional<double> ascent;
        for (size_t i = 0; i < shares.size(); ++i) {
            if (auto line = subviews[i].baseline(shares[i].proposal, last))
                ascent = std::max(ascent.value_or(0), *line);
        }
        return ascent;
    }
    for (size_t i = 0; i < shares.size(); ++i) {
        if (auto line = subviews[i].baseline(shares[i].proposal, last))
            return alignOffset(VerticalAlignment(m_crossAlignment), size.height(), shares[i].size.height())
                + *line;
    }
    return std::nullopt;
}

ProposalAxes StackLayout::followedAxes(const LayoutSubviews &subviews) const
{
    return followedByAny(subviews);
}

View VStack(std::vector<View> children)
{
    return VStack(HorizontalAlignment::Center, std::nullopt, std::move(children));
}

View VStack(HorizontalAlignment alignment, std::optional<double> spacing, std::vector<View> children)
{
    return layoutWithAxis(StackLayout::vertical(alignment, spacing), std::move(children), Axis::Vertical);
}

View HStack(std::vector<View> children)
{
    return HStack(VerticalAlignment::Center, std::nullopt, std::move(children));
}

View HStack(VerticalAlignment alignment, std::optional<double> spacing, std::vector<View> children)
{
    return layoutWithAxis(StackLayout::horizontal(alignment, spacing), std::move(children), Axis::Horizontal);
}

View Label(const View &title, const View &icon)
{
    return HStack(VerticalAlignment::FirstTextBaseline, std::nullopt, { icon, title });
}

namespace {
// Every subview offered the whole proposal, the stack as large as the largest, each
// aligned in it; later subviews draw over earlier ones.
class ZStackLayout final : public Layout
{
public:
    explicit ZStackLayout(Alignment alignment)
        : m_alignment(alignment)
    { }

    QSizeF sizeThatFits(const ProposedSize &proposal, const LayoutSubviews &subviews) const override
    {
        QSizeF result(0, 0);
        for (const LayoutSubview &subview : subviews)
            result = result.expandedTo(subview.sizeThatFits(proposal));
        return result;
    }

    void placeSubviews(
        const QRectF &bounds, const ProposedSize &proposal, const LayoutSubviews &subviews) const override
    {
        for (const LayoutSubview &subview : subviews) {
            const QSizeF size = subview.sizeThatFits(proposal);
            VerticalAlignment vertical = m_alignment.vertical;
            if (vertical == VerticalAlignment::FirstTextBaseline
                || vertical == VerticalAlignment::LastTextBaseline)
                vertical = VerticalAlignment::Top;
            const QPointF origin(
                bounds.x() + alignOffset(m_alignment.horizontal, bounds.width(), size.width()),
                bounds.y() + alignOffset(vertical, bounds.height(), size.height()));
            subview.element().place(QRectF(origin, size), proposal);
        }
    }

    ProposalAxes followedAxes(const LayoutSubviews &subviews) const override
    {
        return followedByAny(subviews);
    }

private:
    Alignment m_alignment;
};
} // namespace

View ZStack(std::vector<View> children)
{
    return ZStack(Alignment::center(), std::move(children));
}

View ZStack(Alignment alignment, std::vector<View> children)
{
    return LayoutView(std::make_shared<const ZStackLayout>(alignment), std::move(children));
}

} // namespace ui
