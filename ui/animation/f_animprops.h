#pragma once
// The Animation Properties dialog: the current cel's disposal method and the animation's
// transparency, loop count and comments. Exists once; user-interface thread only.
#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class TfrmAnimProps : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAnimProps(QWidget* Parent = nullptr);

    std::uint8_t Disposal() const;
    void SetDisposal(std::uint8_t Disposal);
    bool Transparent() const;
    void SetTransparent(bool Transparent);
    int LoopCount() const; // 0..50000
    void SetLoopCount(int LoopCount);
    std::vector<std::string> Comments() const;
    void SetComments(const std::vector<std::string>& Lines);
};
