#include "RestorePage.h"

#include "shell/Strings.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace kv::gui {

namespace {

QLabel* note(const char* name, QWidget* parent)
{
    auto* l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    return l;
}

QPushButton* button(const char* name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setMinimumWidth(110);
    return b;
}

} // namespace

RestorePage::RestorePage(QWidget* step, QObject* parent) : QObject(parent)
{
    m_note = note("restoreNote", step);
    m_hint = note("restoreHint", step);
    // The hint is what the user can do next; it stands out from the note.
    QPalette pal = m_hint->palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_hint->setPalette(pal);
    m_hint->hide();
    m_selectAll = button("restoreSelectAllButton", Strings::get(StringId::SelectAll), step);
    m_clearAll = button("restoreClearAllButton", QStringLiteral("&Clear All"), step);
    connect(m_selectAll, &QPushButton::clicked, this, &RestorePage::selectAllClicked);
    connect(m_clearAll, &QPushButton::clicked, this, &RestorePage::clearAllClicked);

    auto* layout = new QGridLayout(step);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setVerticalSpacing(2);
    layout->addWidget(m_note, 0, 0);
    layout->addWidget(m_hint, 1, 0);
    layout->addWidget(m_selectAll, 0, 1);
    layout->addWidget(m_clearAll, 1, 1);
    layout->setColumnStretch(0, 1);
    layout->setColumnMinimumWidth(1, 120);
    layout->setRowStretch(2, 1);
}

bool RestorePage::setText(MainText item, const QString& text)
{
    switch (item) {
    case MainText::RestoreNote:
        m_note->setText(text);
        return true;
    case MainText::RestoreHint:
        m_hint->setText(text);
        return true;
    case MainText::SelectAll:
        m_selectAll->setText(text);
        return true;
    case MainText::ClearAll:
        m_clearAll->setText(text);
        return true;
    default:
        return false;
    }
}

QWidget* RestorePage::item(MainItem item) const
{
    switch (item) {
    case MainItem::RestoreHint:
        return m_hint;
    case MainItem::SelectAll:
        return m_selectAll;
    default:
        return nullptr;
    }
}

} // namespace kv::gui
