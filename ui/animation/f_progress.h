#pragma once
// The progress window that saving shows: a caption above a bar that advances by one per
// written cel. Exists once, always on top, hidden between uses; it has no title-bar
// buttons and cannot be closed by the user, only by Finish. Owns its controls;
// user-interface thread only.
#include <QDialog>
#include <QString>

class QLabel;
class QProgressBar;

class TfrmProgress : public QDialog {
    Q_OBJECT
public:
    explicit TfrmProgress(QWidget* Parent = nullptr);

    // Shows Caption with the bar at 0 of Maximum and paints at once.
    void Start(const QString& Caption, int Maximum);
    // Moves the bar and lets it paint.
    void SetPosition(int Position);
    void Finish();

    QString CaptionText() const;
    int Position() const;
    int Maximum() const;

    // Escape does not abandon a save half done.
    void reject() override {}

private:
    QLabel* lblCaption = nullptr;
    QProgressBar* progProgress = nullptr;
};

// The program's one progress window, made at start-up with the other once-only
// windows; null before and after.
extern TfrmProgress* frmProgress;
