#pragma once
// The progress window that saving shows: a caption above a bar that advances by one per
// written cel. Exists once, always on top, hidden between uses. User-interface thread only.
#include <QDialog>
#include <QString>

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
};
