#pragma once

#include "escapekeystate.h"
#include "model/canvasspec.h"
#include "model/rendersettings.h"
#include "render/subtitlerenderer.h"
#include "run/generationrun.h"

#include <QDialog>
#include <QImage>

#include <array>
#include <string>
#include <utility>

class QAction;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace orvo {

class CColorCombo;
class COrvoApp;

// The main window: the preview of the look on the left (a standard-definition canvas at its
// real size, an HD one scaled to fit), the controls that
// edit the look and start the work on the right. It holds the look (render settings,
// renderer, canvas) and hands it to the engine; the settings database is the application's.
class COrvoDlg : public QDialog {
    Q_OBJECT

public:
    explicit COrvoDlg(COrvoApp& app, QWidget* parent = nullptr);
    ~COrvoDlg() override;

    const RenderSettings& GetRenderSettings() const { return m_settings; }
    const QImage& GetCanvas() const { return m_canvas; }
    const std::string& GetLastPath() const { return m_LastPath; }

    // Quit, Escape and the close box all end here: the look goes into the settings database
    // before the window goes.
    void done(int result) override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    QFrame* CreateColumn();
    QGroupBox* CreateMarginsGroup(QWidget* parent);
    QGroupBox* CreateColorsGroup(QWidget* parent);
    QGroupBox* CreateTextGroup(QWidget* parent);
    QGroupBox* CreateGenerationGroup(QWidget* parent);
    void PlaceControls(QFrame* column);
    void ConnectControls();
    void SetTabOrder();
    void AddAboutCommand();

    void LoadLookSettings();
    void SaveLookSettings();
    void ShowLook();
    void RebuildFonts();
    void InvalidatePreview();
    // The look moves to the canvas, its lengths scaled once; the controls show it.
    void MoveToCanvas(const CanvasSpec& canvas);
    void ShowCanvas();
    void ShowMarginRange();
    QRect PreviewTextFrame() const;
    // Each canvas's button.
    std::array<std::pair<QPushButton*, const CanvasSpec*>, 4> CanvasButtons() const;
    // Each margin edit with the render setting it edits.
    std::array<std::pair<QSpinBox*, int*>, 3> MarginEdits();
    COLORREF& TargetColor();

    void OnColorTarget();
    void OnSelchangeColor(int index);
    void OnSelchangeAlign(int index);
    void ApplyMargin(QSpinBox* edit, int& margin);
    void ApplyPendingMargin();
    void ApplyBoxingRule();
    void ApplyOutlineRule();
    void OnFont();
    void OnSaveTestImage();
    void StartProcess();
    void RunGeneration(const RunParameters& parameters);
    void OnAbout();

    COrvoApp& m_app;
    RenderSettings m_settings;
    SubtitleRenderer m_renderer;
    QImage m_canvas;
    std::string m_LastPath;
    // Set by any change of a margin's text, consumed when a margin loses the focus.
    bool m_marginChanged = false;
    // Escape for the run; keys held over a run's end.
    EscapeKeyState m_keys;

    QPushButton* m_ntsc = nullptr;
    QPushButton* m_pal = nullptr;
    QPushButton* m_hd720 = nullptr;
    QPushButton* m_hd1080 = nullptr;
    QGroupBox* m_marginsGroup = nullptr;
    QSpinBox* m_leftMargin = nullptr;
    QSpinBox* m_rightMargin = nullptr;
    QSpinBox* m_bottomMargin = nullptr;
    QPushButton* m_textTarget = nullptr;
    QPushButton* m_textBkgTarget = nullptr;
    QPushButton* m_bkgTarget = nullptr;
    CColorCombo* m_colorCombo = nullptr;
    QComboBox* m_align = nullptr;
    QPushButton* m_font = nullptr;
    QPushButton* m_antialias = nullptr;
    QPushButton* m_boxing = nullptr;
    QPushButton* m_outline = nullptr;
    QSpinBox* m_outlineSpacing = nullptr;
    QSpinBox* m_outlineWidth = nullptr;
    QSpinBox* m_shadow = nullptr;
    QPushButton* m_balancedBreaks = nullptr;
    QPushButton* m_anamorphic = nullptr;
    QPushButton* m_extendBlanks = nullptr;
    QPushButton* m_dvdColors = nullptr;
    QPushButton* m_saveTestImage = nullptr;
    QPushButton* m_testMode = nullptr;
    QPushButton* m_process = nullptr;
    QPushButton* m_quit = nullptr;
    QLabel* m_modeLabel = nullptr;
    QLabel* m_statusLine = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QAction* m_about = nullptr;
};

} // namespace orvo
