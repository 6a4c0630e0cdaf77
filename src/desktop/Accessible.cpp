// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/Accessible.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QDockWidget>
#include <QMainWindow>
#include <QStackedWidget>
#include <QTabWidget>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QHash>
#include <QMouseEvent>
#include <QPointer>
#include <QTabBar>
#include <QWidget>

namespace tamboril::desktop {

namespace {

const char* const RoleProperty = "tamborilAccessibleRole";
const char* const LeftOutProperty = "tamborilLeftOutOfAccessibleTree";
const char* const LeftOutHiddenProperty = "tamborilLeftOutWhileHidden";

// Widgets Qt makes for itself that only draw or take the mouse: the rubber
// band of a drag, the separators between a main window's docks.
bool IsQtPart(const QWidget* widget) {
    const QString name = widget->objectName();
    return name == QLatin1String("qt_rubberband") ||
           name == QLatin1String("qt_qmainwindow_extended_splitter");
}

// Marks the interfaces made here.
class Ours {
  public:
    virtual ~Ours() = default;
};

// A widget with a role of this module's, offering only the child widgets
// that are not left out of the tree (and are not windows of their own).
class Presented : public QAccessibleWidget, public Ours {
  public:
    Presented(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    int childCount() const override { return int(offered().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QWidget*> children = offered();
        return index >= 0 && index < children.size()
                   ? QAccessible::queryAccessibleInterface(children.at(index))
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child == nullptr ? -1
                                : int(offered().indexOf(qobject_cast<QWidget*>(child->object())));
    }

  private:
    QList<QWidget*> offered() const {
        QList<QWidget*> children;
        for (QObject* object : widget()->children()) {
            auto* child = qobject_cast<QWidget*>(object);
            if (child != nullptr && !child->isWindow() && !IsQtPart(child) &&
                !child->property(LeftOutProperty).toBool() &&
                !(child->isHidden() && child->property(LeftOutHiddenProperty).toBool())) {
                children.append(child);
            }
        }
        return children;
    }
};

// A pick-only list named by its accessible name (Qt names a combo box by its
// current entry on Linux). The entry is its value and its description, so it
// is still read out with the name; the drop-down list is its one child.
class NamedList : public QAccessibleWidget, public Ours {
  public:
    explicit NamedList(QComboBox* box) : QAccessibleWidget(box, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value || t == QAccessible::Description) {
            return box()->isEditable() ? box()->lineEdit()->text() : box()->currentText();
        }
        return QAccessibleWidget::text(t);
    }
    // The list, and the field of a list that takes typing.
    int childCount() const override { return box()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 1 && box()->isEditable()) {
            return QAccessible::queryAccessibleInterface(box()->lineEdit());
        }
        return index == 0 ? QAccessible::queryAccessibleInterface(box()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child == nullptr) {
            return -1;
        }
        if (box()->isEditable() && child->object() == box()->lineEdit()) {
            return 1;
        }
        return child->object() == box()->view() ? 0 : -1;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction()) {
            // Taking the focus (a screen reader's "grab focus") as any widget.
            QAccessibleWidget::doAction(action);
            return;
        }
        if (box()->view()->isVisible()) {
            box()->hidePopup();
        } else {
            box()->showPopup();
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

  private:
    QComboBox* box() const { return static_cast<QComboBox*>(object()); }
};

// A label that acts as a button. Pressing it sends the label the press and
// release of a left click at its centre, so it runs exactly the code a
// mouse click runs, with the same checks.
class PressableLabel : public QAccessibleWidget, public Ours {
  public:
    explicit PressableLabel(QLabel* label) : QAccessibleWidget(label, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && widget()->accessibleName().isEmpty()) {
            return static_cast<QLabel*>(object())->text();
        }
        return QAccessibleWidget::text(t);
    }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (action != pressAction() || !widget()->isEnabled()) {
            return;
        }
        const QPointF centre = QRectF(widget()->rect()).center();
        const QPointF global = widget()->mapToGlobal(centre);
        QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(widget(), &press);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget(), &release);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
};

// One tab of a NamedTabs list, known by its index: named by the tab's text
// without its accelerator mark, described by its tool tip, selected when it
// is the current tab, and pressed to make it current.
class TabEntry : public QAccessibleInterface, public QAccessibleActionInterface, public Ours {
  public:
    TabEntry(QTabBar* tabs, int index) : tabs_(tabs), index_(index) {}

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    bool isValid() const override { return tabs_ != nullptr && index_ < tabs_->count(); }
    QObject* object() const override { return nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state = parent()->state();
        state.focused = state.focused && tabs_->currentIndex() == index_;
        state.selectable = true;
        state.selected = tabs_->currentIndex() == index_;
        return state;
    }
    QRect rect() const override {
        return isValid() ? QRect(tabs_->mapToGlobal(tabs_->tabRect(index_).topLeft()),
                                 tabs_->tabRect(index_).size())
                         : QRect();
    }
    QString text(QAccessible::Text t) const override {
        if (!isValid()) {
            return QString();
        }
        if (t == QAccessible::Name) {
            return QString(tabs_->tabText(index_)).remove(QLatin1Char('&'));
        }
        return t == QAccessible::Description ? tabs_->tabToolTip(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(tabs_.data());
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& action) override {
        if (isValid() && action == pressAction()) {
            tabs_->setCurrentIndex(index_);
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    int index() const { return index_; }

  private:
    QPointer<QTabBar> tabs_;
    int index_;
};

// A tab bar named by its accessible name (Qt names it after the current
// tab), offering its tabs and nothing else: the scroll buttons only help a
// mouse reach tabs the keyboard reaches anyway.
class NamedTabs : public QAccessibleWidget, public Ours {
  public:
    explicit NamedTabs(QTabBar* tabs) : QAccessibleWidget(tabs, QAccessible::PageTabList) {}
    ~NamedTabs() override {
        for (const QAccessible::Id id : std::as_const(entries_)) {
            QAccessible::deleteAccessibleInterface(id);
        }
    }

    int childCount() const override { return tabs()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= tabs()->count()) {
            return nullptr;
        }
        if (const QAccessible::Id id = entries_.value(index)) {
            return QAccessible::accessibleInterface(id);
        }
        auto* entry = new TabEntry(tabs(), index);
        entries_.insert(index, QAccessible::registerAccessibleInterface(entry));
        return entry;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* entry = dynamic_cast<const TabEntry*>(child);
        return entry != nullptr && entry->parent() == this ? entry->index() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const int index = tabs()->tabAt(tabs()->mapFromGlobal(QPoint(x, y)));
        return index < 0 ? nullptr : child(index);
    }

  private:
    QTabBar* tabs() const { return static_cast<QTabBar*>(object()); }

    mutable QHash<int, QAccessible::Id> entries_;
};

// Qt asks the factories once for each class of the object, most derived
// first; only the object's own class is answered here, before Qt's own
// interface for that class is made.
QAccessibleInterface* Factory(const QString& className, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget == nullptr || className != QLatin1String(object->metaObject()->className())) {
        return nullptr;
    }
    const QVariant role = widget->property(RoleProperty);
    if (!role.isValid()) {
        return nullptr;
    }
    const auto given = static_cast<QAccessible::Role>(role.toInt());
    if (auto* box = qobject_cast<QComboBox*>(widget);
        box != nullptr && given == QAccessible::ComboBox) {
        return new NamedList(box);
    }
    if (auto* label = qobject_cast<QLabel*>(widget);
        label != nullptr && given == QAccessible::Button) {
        return new PressableLabel(label);
    }
    if (auto* tabs = qobject_cast<QTabBar*>(widget);
        tabs != nullptr && given == QAccessible::PageTabList) {
        return new NamedTabs(tabs);
    }
    return new Presented(widget, given);
}

}  // namespace

void SetAccessibleRole(QWidget* widget, QAccessible::Role role) {
    // Installing twice would only ask the same factory twice.
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(RoleProperty, int(role));
    if (auto* box = qobject_cast<QComboBox*>(widget);
        box != nullptr && role == QAccessible::ComboBox) {
        // Qt reports a new entry as a new name, which this list keeps: the
        // entry is told as its description instead.
        QObject::connect(box, &QComboBox::currentIndexChanged, box, [box] {
            QAccessibleEvent changed(box, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&changed);
        });
    }
    // Qt may make a widget's interface as soon as the widget reports a
    // change (a text set, an entry selected) and keeps it for the widget's
    // life. One made before the role was set is Qt's own: drop it, so that
    // the next query makes this module's.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
    if (made != nullptr && dynamic_cast<Ours*>(made) == nullptr) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
    }
}

void LeaveOutOfAccessibleTree(QWidget* widget) {
    widget->setProperty(LeftOutProperty, true);
}

void LeaveOutWhileHidden(QWidget* widget) {
    widget->setProperty(LeftOutHiddenProperty, true);
}

void OfferDock(QDockWidget* dock) {
    SetAccessibleRole(dock, QAccessible::Pane);
    for (QAbstractButton* button :
         dock->findChildren<QAbstractButton*>(QString(), Qt::FindDirectChildrenOnly)) {
        LeaveOutWhileHidden(button);
    }
}

void OfferCurrentPageOnly(QTabWidget* tabs) {
    auto* pages = tabs->findChild<QStackedWidget*>(QString(), Qt::FindDirectChildrenOnly);
    if (pages == nullptr) {
        return;
    }
    SetAccessibleRole(pages, QAccessible::LayeredPane);
    for (int i = 0; i < pages->count(); ++i) {
        LeaveOutWhileHidden(pages->widget(i));
    }
}

void OfferShownDocks(QMainWindow* window) {
    SetAccessibleRole(window, QAccessible::Window);
    for (QDockWidget* dock :
         window->findChildren<QDockWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        LeaveOutWhileHidden(dock);
    }
}

}  // namespace tamboril::desktop
