#include "kit/desktop/TruneAppPresence.h"

// The system keeps one copy of an application bundle running and reopens it itself; the local
// socket covers a program started from the command line.
TruneAppPresence::TruneAppPresence(QObject* parent)
    : QObject(parent)
{
}

TruneAppPresence::~TruneAppPresence() = default;

TruneAppPresence::Role TruneAppPresence::claim()
{
    m_fallback = std::make_unique<TruneSingleInstance>();
    connect(m_fallback.get(), &TruneSingleInstance::reopenRequested, this, &TruneAppPresence::activationRequested);
    return m_fallback->claim();
}
