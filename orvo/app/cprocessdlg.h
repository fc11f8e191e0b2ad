#pragma once

#include "input/subtitlelist.h"
#include "keyrepeat.h"
#include "output/outputtype.h"
#include "run/runparameters.h"
#include "time/framerate.h"

#include <kestrum/propstore/cpropdb.h>

#include <QDialog>

#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace orvo {

// Prepares a run: loads the subtitle list into the store, offers the list's configuration
// file, and takes the start index, the image base name, the script header and whether the
// subtitles are forced. The database and the store are the application's.
class CProcessDlg : public QDialog {
    Q_OBJECT

public:
    CProcessDlg(kestrum::CPropDb& db, SubtitleStore& store, QWidget* parent = nullptr);

    // The list used last: the open-file dialog starts at it. A list must be loaded anew each
    // time the dialog opens.
    void SetInputFile(const std::string& path) { m_strInputFile = path; }

    // After Start: the list path as the input edit showed it, the name and the start index.
    const std::string& GetInputFile() const { return m_strInputFile; }
    const std::string& GetName() const { return m_strName; }
    // 0-99999; an empty field is 0.
    int GetStartIndex() const;
    // The rate chosen in the "Frame rate" box: a subtitle file's times become timecodes at
    // it, and a list's are checked at it.
    FrameRate GetFrameRate() const;
    // The type chosen in the "Output type" box; it opens on the stored one. Only DVD-1 writes
    // the script file, so that the header field is disabled for the others, and VobSub writes
    // no images, so that the name field is disabled for it.
    OutputType GetOutputType() const;
    // After Start: the run the fields describe, with how often the reader of the file loaded
    // warned. Its subtitles are forced only where the box says so and the type can mark them;
    // the choice is the run's and is not stored.
    RunParameters GetRunParameters() const;

    // Reads a subtitle file of any kind into the store at the chosen rate; shows the message
    // for an invalid line, and what the reader of another kind got past, itself.
    bool LoadSubtitleList(const std::string& path);
    // Offers to load the settings saved with the list, and shows the header, name and start
    // index they hold.
    void CheckListConfiguration(const std::string& cfgPath);

    // Start: loads the list in the input field first when it is not the one loaded, refuses
    // an image name that cannot name files, then stores the header and keeps what the fields
    // show. The dialog stays open when loading or the name fails.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateControls();
    void PlaceControls();
    void OnLoad();
    void OnEnterInPath();
    std::string ChooseListFile();
    // The load command for a chosen or typed path: the list, its messages and the status.
    bool OpenList(const std::string& path);
    void ShowLoadedList(const std::string& path);
    void ShowLoadFailure();
    void ShowReaderWarnings(const std::string& path, const std::vector<std::string>& warnings);
    // Selects a stored rate, or the picture size's default, without reading the file again.
    void ShowFrameRate(const std::string& name);
    void OnFrameRateChanged();
    void ShowOutputType(OutputType type);
    void EnableOutputFields();
    void ShowDefaultName();
    // The input field's path as bytes, relative to the current folder made absolute.
    std::string TypedPath() const;
    bool IsNameAccepted(const std::string& name);
    void ShowStoredRunKeys();

    kestrum::CPropDb& m_db;
    SubtitleStore& m_store;
    std::string m_strStartIndex = "1";
    std::string m_strName;
    std::string m_strInputFile;
    // The bytes behind each edit, so that a value the user leaves alone keeps its encoding.
    std::string m_loadedPath;
    std::string m_shownHeader;
    std::string m_shownName;
    // The name shown is the default one: neither typed nor brought by a configuration file.
    bool m_defaultName = true;
    bool m_errorShown = false;
    // Why the last load failed, when the reader knew.
    std::string m_loadFailure;
    // What the status line says of the file loaded, and its kind when it is not a list.
    std::string m_loadedStatus;
    std::string m_loadedKind;
    int m_loadedWarnings = 0;
    // The reader's warnings last shown for the file loaded.
    std::vector<std::string> m_shownWarnings;
    KeyRepeat m_pathEnter;

    QLineEdit* m_inputFile = nullptr;
    QPushButton* m_load = nullptr;
    QLineEdit* m_startIndex = nullptr;
    QComboBox* m_outputType = nullptr;
    QComboBox* m_frameRate = nullptr;
    QCheckBox* m_forced = nullptr;
    QLineEdit* m_name = nullptr;
    QLabel* m_nameLabel = nullptr;
    QPlainTextEdit* m_header = nullptr;
    QLabel* m_headerLabel = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace orvo
