#pragma once
// Recovery of unsaved work after a crash or a power cut. While a document has unsaved
// changes, a copy of it is kept in this program's run folder of the recovery area (see
// imaging/RunFolder.h): the GIF file exactly as Save would write it, and beside it the
// document's caption and file name. The copy is brought up to date at most once a minute
// and only after a change; saving or closing the document removes it, so a normal end of the
// program leaves nothing behind. The pixels are copied on the user-interface thread, into
// the memory of the last copy while the document keeps changing, which takes a few
// milliseconds; encoding and writing happen on a worker thread of this object's own, so
// painting never waits for the disk.
//
// At start-up, what programs that did not end normally left behind is offered once: the
// old contents of files whose rewrite in place was cut short (put back, or discarded), and
// the copies of unsaved documents (recovered as modified documents with their old captions,
// or discarded). Nothing is deleted without the user's word; a copy that cannot be read is
// reported and stays where it is.
//
// Owned by the main window; owns its run folder, the worker thread and the timer, and
// refers to the documents of the main window's MDI area. User-interface thread only.
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

class TRunFolder;
class TfrmCharAnimation;
class TfrmSpriteMDI;

class TRecovery : public QObject {
    Q_OBJECT
public:
    // Milliseconds between two copies of the same document.
    static constexpr int Interval = 60 * 1000;

    // Keeps its copies in the recovery area of the user's data location, and makes it the
    // folder where rewrites in place keep old contents.
    explicit TRecovery(TfrmSpriteMDI& Owner);
    // Waits for the worker; removes the run folder when nothing is left in it.
    ~TRecovery() override;

    // The recovery area: one run folder per running program. Empty when the user's data
    // location is unknown; nothing is kept then.
    QString Area() const { return AreaFolder; }
    // This program's run folder; empty until something was kept.
    QString RunFolder() const;

    // Brings every copy up to date: a document changed since its last copy gets a new one,
    // one without unsaved changes loses its copy. Put off while a mouse button is held, so
    // that no copy catches a stroke half drawn. The timer calls it once a minute.
    void WriteCopies();
    // Document was saved: its copy goes.
    void Forget(TfrmCharAnimation* Document);
    // Returns once the worker has written or removed everything asked of it.
    void Wait();
    // The file of Document's copy (it may not have been written yet); empty when none.
    QString CopyOf(TfrmCharAnimation* Document) const;

    // Offers what programs that did not end normally left in the recovery area.
    void OfferLeftBehind();

private:
    struct TSnapshot;
    struct TCopy {
        int Number = 0;
        // The document's change count when its copy was last taken; 0 for none.
        std::uint64_t Copied = 0;
        // A copy may be on the disk, or on its way there.
        bool Written = false;
        bool Busy = false;
        // The caption and file name written beside the copy.
        QString Caption;
        // The last snapshot once written: the next one is copied into its memory, which
        // costs a fraction of fresh memory. Kept while the document goes on changing.
        std::shared_ptr<TSnapshot> Spare;
    };

    TCopy& Entry(TfrmCharAnimation* Document);
    // The run folder, made the first time it is needed; throws EFileWriteError.
    QString EnsureRunFolder();
    QString GifName(int Number) const;
    QString InfoName(int Number) const;
    void RemoveCopy(TCopy& Copy);
    void CopyWritten(const QObject* Document, const QString& Failure,
                     std::shared_ptr<TSnapshot> Snapshot);
    void ReportFailure(const QString& Failure);
    // Takes a recovered document's copy over as its copy in this program's run folder.
    void Adopt(TfrmCharAnimation* Document, const QString& GifFile, const QString& InfoFile);

    TfrmSpriteMDI& Owner;
    QString AreaFolder;
    mutable std::mutex RunLock;
    std::unique_ptr<TRunFolder> Run;
    std::map<const QObject*, TCopy> Copies;
    int LastNumber = 0;
    bool Failing = false;
    QTimer Timer;
    // Copies wait for a held mouse button to come up.
    QTimer Retry;
    // One thread, so that what is asked for one file happens in the order asked.
    QThreadPool Worker;
};
