#pragma once

#include <QObject>
#include <QString>

class QWidget;

// Follows the hint of the control under the mouse pointer, application-wide: a control
// without a hint of its own shows its nearest parent's. Reports each change once.
class HintTracker final : public QObject {
    Q_OBJECT

public:
    explicit HintTracker(QObject *parent = nullptr);
    ~HintTracker() override;

    QString currentHint() const { return m_hint; }

    static QString hintOf(const QWidget *widget);

signals:
    void hintChanged(const QString &hint);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void update(const QString &hint);

    QString m_hint;
};
