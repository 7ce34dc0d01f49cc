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

    // The hint of a control, or of its nearest parent with one.
    static QString hintOf(const QWidget *widget);

    // A panel's hint is kept out of its tool tip: Qt would pop a parent's tool tip up over
    // every child that has none. It still counts as the hint of the panel's controls.
    static void setPanelHint(QWidget *panel, const QString &hint);
    static QString panelHint(const QWidget *panel);

signals:
    void hintChanged(const QString &hint);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void update(const QString &hint);

    QString m_hint;
};
