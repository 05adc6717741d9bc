#include "ui/cancellation.h"

namespace ui {

namespace {
std::atomic<bool> everyWorkCancelled = false;
thread_local const CancellationToken *currentToken = nullptr;
} // namespace

CancellationToken::CancellationToken()
    : m_cancelled(std::make_shared<std::atomic<bool>>(false))
{ }

void CancellationToken::cancel() const
{
    m_cancelled->store(true, std::memory_order_relaxed);
}

bool CancellationToken::isCancelled() const
{
    return m_cancelled->load(std::memory_order_relaxed) || everyWorkCancelled.load(std::memory_order_relaxed);
}

void CancellationToken::cancelAll()
{
    everyWorkCancelled.store(true, std::memory_order_relaxed);
}

bool CancellationToken::isAllCancelled()
{
    return everyWorkCancelled.load(std::memory_order_relaxed);
}

CancellationToken::Scope::Scope(const CancellationToken &token)
    : m_previous(currentToken)
{
    currentToken = &token;
}

CancellationToken::Scope::~Scope()
{
    currentToken = m_previous;
}

bool CancellationToken::isCurrentCancelled()
{
    return currentToken ? currentToken->isCancelled() : everyWorkCancelled.load(std::memory_order_relaxed);
}

CancellationToken CancellationToken::current()
{
    return currentToken ? *currentToken : CancellationToken();
}

} // namespace ui
