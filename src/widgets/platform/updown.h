#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// Two small arrow buttons that step a number in an attached text field, within a range
// and without wrapping around. The field stays free text; the arrows start from the
// number it holds.
class UpDown final : public QWidget {
    Q_OBJECT

public:
    UpDown(QLineEdit *associate, int minimum, int maximum, int position, QWidget *parent);

    int position() const { return m_position; }

    void stepBy(int steps);

private:
    QLineEdit *m_associate;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_minimum;
    int m_maximum;
    int m_position;
};
