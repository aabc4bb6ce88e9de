#pragma once

#include <QString>
#include <optional>

#include "core/ui.h"

class QWidget;

namespace varnok {

class TStartTest;
class TChangeDlg;
class TETDialog;
class TConflictDlg;

// Answers the logic's questions with the window's dialogs. The dialogs are
// made once and kept, so they keep their last state as a person expects.
class QtUi : public Ui {
public:
    explicit QtUi(QWidget *window);
    ~QtUi() override;

    void message(const std::string &text) override;
    void error(const std::string &text) override;
    bool confirm(const std::string &text) override;
    bool confirmDefaultNo(const std::string &text) override;
    std::optional<std::string> inputText(const std::string &caption, const std::string &prompt,
                                         const std::string &proposed) override;
    TestChoice askTestParams() override;
    std::optional<RenameAnswer> askRename(const std::string &caption, const std::string &folder,
                                          const std::string &from) override;
    std::optional<EssayType> askEssayType() override;
    std::optional<std::string> openTextFile(const std::optional<std::string> &proposedName) override;
    std::optional<std::string> saveTextFile(const std::string &folder) override;
    void waitWhile(const std::function<bool()> &condition) override;
    void waitBlocked(const std::function<bool()> &condition) override;
    SaveAnswer askSaveEdit(const std::string &fileName) override;
    ChangedFileAnswer askChangedFile(const std::string &text) override;
    ConflictChoice askResolveConflict(const ConflictView &view) override;
    bool runLong(const std::string &caption, const std::function<void(JobProgress &)> &job) override;

    static QString toQt(const std::string &text);
    static std::string fromQt(const QString &text);

private:
    QWidget *dialogParent() const;
    bool askYesNo(const std::string &text, bool yesByDefault);

    QWidget *window_;
    TStartTest *startTest_ = nullptr;
    TChangeDlg *changeDlg_ = nullptr;
    TETDialog *etDialog_ = nullptr;
    TConflictDlg *conflictDlg_ = nullptr;
    QString lastOpenName_;
    QString lastSaveName_;
};

} // namespace varnok
