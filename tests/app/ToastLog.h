#pragma once

#include "app/viewmodel/UpdateStudioViewModel.h"

#include <QObject>
#include <QString>

#include <optional>
#include <vector>

// Every toast a view model showed, in order, as its toastShown signal announced it. A toast
// leaves the state a few seconds after it was shown, sooner than a busy machine may take to
// reach the check that reads it, so tests read toasts here and never from the state.
class ToastLog final {
public:
    struct Toast {
        QString message;
        bool isError = false;
        bool operator==(const Toast&) const = default;
    };

    ToastLog() = default;
    explicit ToastLog(const UpdateStudioViewModel& model) { follow(model); }
    ToastLog(const ToastLog&) = delete;
    ToastLog& operator=(const ToastLog&) = delete;

    // Records what `model` shows from now on, besides any model followed before.
    void follow(const UpdateStudioViewModel& model)
    {
        QObject::connect(
            &model, &UpdateStudioViewModel::toastShown, &m_receiver, [this](const QString& message, bool isError) {
                m_shown.push_back({message, isError});
            });
    }

    const std::vector<Toast>& shown() const { return m_shown; }
    std::optional<Toast> last() const { return m_shown.empty() ? std::nullopt : std::optional(m_shown.back()); }
    std::optional<QString> lastMessage() const
    {
        return m_shown.empty() ? std::nullopt : std::optional(m_shown.back().message);
    }
    bool lastIsError() const { return !m_shown.empty() && m_shown.back().isError; }
    void clear() { m_shown.clear(); }

private:
    QObject m_receiver; // ends the recording with the log
    std::vector<Toast> m_shown;
};
