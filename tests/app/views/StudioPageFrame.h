#pragma once

#include "app/viewmodel/UpdateStudioViewModel.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/TruneProductPalette.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QStringList>
#include <QVBoxLayout>

#include <functional>
#include <memory>

// A studio tab page shown as the studio shows it: in a 1240 x 700 window on the deep-emerald
// ground, made with the studio's accent.
template <typename Page> class StudioPageFrame final {
public:
    explicit StudioPageFrame(UpdateStudioViewModel& model, QSize size = {1240, 700})
        : window(std::make_unique<TruneGroundBackground>(TruneProductPalette::deepEmerald))
    {
        auto* layout = new QVBoxLayout(window.get());
        layout->setContentsMargins(0, 0, 0, 0);
        page = new Page(model, accent(), window.get());
        layout->addWidget(page);
        window->resize(size);
        window->show();
        settle();
    }

    static QColor accent() { return accentColor(TruneProductPalette::deepEmerald); }

    // Lets posted layout requests and deferred deletions run.
    void settle()
    {
        for (int round = 0; round < 3; ++round) {
            QApplication::processEvents();
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }

    template <typename T> T* find(const QString& name) const { return page->template findChild<T*>(name); }
    template <typename T> QList<T*> findAll(const QString& name = {}) const
    {
        QList<T*> shown;
        for (T* widget : page->template findChildren<T*>(name)) {
            if (widget->isVisibleTo(page))
                shown.append(widget);
        }
        return shown;
    }

    // The texts of every label and button the page shows.
    QStringList shownTexts() const
    {
        QStringList texts;
        for (QLabel* label : findAll<QLabel>())
            texts.append(label->text());
        for (TruneElidedLabel* label : findAll<TruneElidedLabel>())
            texts.append(label->text());
        for (QAbstractButton* button : findAll<QAbstractButton>()) {
            if (!button->text().isEmpty())
                texts.append(button->text());
        }
        texts.removeAll(QString());
        return texts;
    }

    std::unique_ptr<TruneGroundBackground> window;
    Page* page = nullptr;
};
