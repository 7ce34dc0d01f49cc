#include "updown.h"

#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

UpDown::UpDown(QLineEdit *associate, int minimum, int maximum, int position, QWidget *parent)
    : QWidget(parent)
    , m_associate(associate)
    , m_up(new QToolButton(this))
    , m_down(new QToolButton(this))
    , m_minimum(minimum)
    , m_maximum(maximum)
    , m_position(std::clamp(position, minimum, maximum))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *button : {m_up, m_down}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
    }
    m_up->setArrowType(Qt::UpArrow);
    m_down->setArrowType(Qt::DownArrow);
    connect(m_up, &QToolButton::clicked, this, [this] { stepBy(1); });
    connect(m_down, &QToolButton::clicked, this, [this] { stepBy(-1); });
}

void UpDown::stepBy(int steps)
{
    bool ok = false;
    const int typed = m_associate->text().trimmed().toInt(&ok);
    if (ok)
        m_position = std::clamp(typed, m_minimum, m_maximum);
    m_position = std::clamp(m_position + steps, m_minimum, m_maximum);
    m_associate->setText(QString::number(m_position));
}
