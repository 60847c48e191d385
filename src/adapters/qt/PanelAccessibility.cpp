#include "adapters/qt/PanelAccessibility.hpp"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QWidget>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

#include "adapters/qt/PanelWidgets.hpp"
#include "adapters/qt/StatusItemRow.hpp"
#include "core/HiddenItemPanelModel.hpp"
#include "core/UserTexts.hpp"

namespace stowbar::qt {

namespace {

std::function<bool(const QWidget&)>& listedPopup() {
    static std::function<bool(const QWidget&)> test;
    return test;
}

QString toQString(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// A row: a button named after its application.
class RowAccessible final : public QAccessibleWidget {
  public:
    explicit RowAccessible(StatusItemRow* row) : QAccessibleWidget(row, QAccessible::Button) {}

    QString text(QAccessible::Text kind) const override {
        switch (kind) {
            case QAccessible::Name:
                return QString::fromStdString(row()->item().appName);
            case QAccessible::Description:
                return toQString(localized(panel_text::kRowDescription));
            default:
                return QAccessibleWidget::text(kind);
        }
    }

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        // Reached with the panel's own keyboard, not the toolkit's focus chain.
        state.focusable = true;
        return state;
    }

    QStringList actionNames() const override { return {pressAction(), setFocusAction()}; }

    void doAction(const QString& name) override {
        if (name == pressAction()) {
            row()->activate();
        } else {
            QAccessibleWidget::doAction(name);
        }
    }

  private:
    StatusItemRow* row() const { return static_cast<StatusItemRow*>(widget()); }
};

// A symbol or the progress indicator: a picture with a name.
class PictureAccessible final : public QAccessibleWidget {
  public:
    PictureAccessible(QWidget* widget, QAccessible::Role role, QString name)
        : QAccessibleWidget(widget, role), name_(std::move(name)) {}

    QString text(QAccessible::Text kind) const override {
        return kind == QAccessible::Name ? name_ : QAccessibleWidget::text(kind);
    }

  private:
    QString name_;
};

// The footer, without the buttons the panel hides for good because the platform does not offer
// what they do (the update check on Linux). Qt lists hidden widgets too, merely marked
// invisible, which would leave a screen reader a button that does nothing when pressed.
class FooterAccessible final : public QAccessibleWidget {
  public:
    explicit FooterAccessible(QWidget* footer) : QAccessibleWidget(footer) {}

    static bool holdsFooterButtons(const QWidget& widget) {
        const auto& children = widget.children();
        return std::any_of(children.begin(), children.end(), [](const QObject* child) {
            return dynamic_cast<const FooterButton*>(child) != nullptr;
        });
    }

    int childCount() const override { return static_cast<int>(offered().size()); }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr) {
            return -1;
        }
        const auto all = offered();
        const auto found = std::find(all.begin(), all.end(), child->object());
        return found == all.end() ? -1 : static_cast<int>(found - all.begin());
    }

    QAccessibleInterface* child(int index) const override {
        const auto all = offered();
        if (index < 0 || index >= static_cast<int>(all.size())) {
            return nullptr;
        }
        return QAccessible::queryAccessibleInterface(all[static_cast<std::size_t>(index)]);
    }

  private:
    std::vector<QObject*> offered() const {
        std::vector<QObject*> all;
        for (int index = 0; index < QAccessibleWidget::childCount(); ++index) {
            QAccessibleInterface* child = QAccessibleWidget::child(index);
            if (child == nullptr) {
                continue;
            }
            const auto* button = dynamic_cast<const FooterButton*>(child->object());
            if (button == nullptr || !button->isHidden()) {
                all.push_back(child->object());
            }
        }
        return all;
    }
};

// The application, with the popups it lists among its windows.
class ApplicationAccessible final : public QAccessibleApplication {
  public:
    int childCount() const override { return static_cast<int>(children().size()); }

    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr) {
            return -1;
        }
        const auto all = children();
        for (std::size_t index = 0; index < all.size(); ++index) {
            if (all[index] == child->object()) {
                return static_cast<int>(index);
            }
        }
        return -1;
    }

    QAccessibleInterface* child(int index) const override {
        const auto all = children();
        if (index < 0 || index >= static_cast<int>(all.size())) {
            return nullptr;
        }
        return QAccessible::queryAccessibleInterface(all[static_cast<std::size_t>(index)]);
    }

  private:
    std::vector<QObject*> children() const {
        std::vector<QObject*> all;
        const QAccessibleApplication plain;
        for (int index = 0; index < plain.childCount(); ++index) {
            if (QAccessibleInterface* child = plain.child(index)) {
                all.push_back(child->object());
            }
        }
        if (listedPopup()) {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (window->isVisible() && window->windowType() == Qt::Popup &&
                    listedPopup()(*window)) {
                    all.push_back(window);
                }
            }
        }
        return all;
    }
};

QAccessibleInterface* panelFactory(const QString&, QObject* object) {
    if (object == nullptr) {
        return nullptr;
    }
    if (object == QCoreApplication::instance() && listedPopup()) {
        return new ApplicationAccessible;
    }
    if (!object->isWidgetType()) {
        return nullptr;
    }
    auto* widget = static_cast<QWidget*>(object);
    if (auto* row = dynamic_cast<StatusItemRow*>(widget)) {
        return new RowAccessible(row);
    }
    if (auto* symbol = dynamic_cast<SymbolView*>(widget)) {
        return new PictureAccessible(
            widget, QAccessible::Graphic,
            toQString(localized(HiddenItemPanelModel::symbolDescription(symbol->symbolName()))));
    }
    if (widget->metaObject() == &QWidget::staticMetaObject &&
        FooterAccessible::holdsFooterButtons(*widget)) {
        return new FooterAccessible(widget);
    }
    if (dynamic_cast<SpinnerView*>(widget) != nullptr) {
        return new PictureAccessible(widget, QAccessible::Animation,
                                     toQString(localized(panel_text::kScanningDescription)));
    }
    if (widget->isWindow() && widget->windowType() == Qt::Popup && listedPopup() &&
        listedPopup()(*widget)) {
        return new QAccessibleWidget(widget, QAccessible::Window);
    }
    return nullptr;
}

}  // namespace

void installPanelAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(panelFactory);
        return true;
    }();
    (void)installed;
}

void listPopupsInAccessibilityTree(std::function<bool(const QWidget&)> isListedPopup) {
    installPanelAccessibility();
    listedPopup() = std::move(isListedPopup);
}

}  // namespace stowbar::qt
