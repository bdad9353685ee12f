#include "stage/stage_window.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>

#include "document/document.h"
#include "platform/prompt.h"
#include "stage/stage_player.h"
#include "stage/stage_view.h"

namespace kel {

namespace {

QSize ScreenSize() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->size() : QSize(1024, 768);
}

}  // namespace

const std::vector<QSize>& StageWindow::FixedSizes() {
  static const std::vector<QSize> sizes = {{640, 480}, {800, 600}, {1024, 768}};
  return sizes;
}

const std::vector<double>& StageWindow::Speeds() {
  static const std::vector<double> speeds = {0.25, 0.5, 1, 2, 4};
  return speeds;
}

StageWindow::StageWindow(Document& doc, PromptPort& prompt, QWidget* parent)
    : QWidget(parent, Qt::Window), doc_(doc), prompt_(prompt) {
  setWindowTitle(QStringLiteral("ステージ"));
  player_ = new StagePlayer(doc_, this);
  player_->SetSeed(QRandomGenerator::global()->bounded(1 << 30));
  view_ = new StageView(*player_);

  SizeBox = new QComboBox;
  for (QSize s : FixedSizes())
    SizeBox->addItem(QStringLiteral("%1 × %2").arg(s.width()).arg(s.height()), s);
  const QSize screen = ScreenSize();
  SizeBox->addItem(
      QStringLiteral("画面の大きさ (%1 × %2)").arg(screen.width()).arg(screen.height()), screen);
  ColourButton = new QPushButton(QStringLiteral("背景色..."));
  PictureButton = new QPushButton(QStringLiteral("背景画像..."));
  NoPictureButton = new QPushButton(QStringLiteral("背景画像なし"));
  NoPictureButton->setEnabled(false);
  PlayButton = new QPushButton(QStringLiteral("一時停止"));
  StepButton = new QPushButton(QStringLiteral("1 コマ進める"));
  RestartButton = new QPushButton(QStringLiteral("最初から"));
  SpeedBox = new QComboBox;
  for (const char* text : {"×1/4", "×1/2", "×1", "×2", "×4"})
    SpeedBox->addItem(QString::fromUtf8(text));
  SpeedBox->setCurrentIndex(2);
  SeedBox = new QSpinBox;
  SeedBox->setRange(0, 0x7FFFFFFF);
  SeedBox->setValue(int(player_->Seed()));
  NewSeedButton = new QPushButton(QStringLiteral("新しいシード"));
  TickLabel = new QLabel;
  OutlineBox = new QCheckBox(QStringLiteral("枠と名前を表示"));
  ObjectList = new QListWidget;
  ObjectList->setToolTip(QStringLiteral("チェックしたオブジェクトがステージに出ます"));

  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("大きさ"), SizeBox);
  auto* background = new QHBoxLayout;
  background->addWidget(ColourButton);
  background->addWidget(PictureButton);
  background->addWidget(NoPictureButton);
  form->addRow(QStringLiteral("背景"), background);
  auto* play = new QHBoxLayout;
  play->addWidget(PlayButton);
  play->addWidget(StepButton);
  play->addWidget(RestartButton);
  form->addRow(play);
  form->addRow(QStringLiteral("速さ"), SpeedBox);
  auto* seed = new QHBoxLayout;
  seed->addWidget(SeedBox, 1);
  seed->addWidget(NewSeedButton);
  form->addRow(QStringLiteral("シード"), seed);
  form->addRow(QStringLiteral("ティック"), TickLabel);
  form->addRow(OutlineBox);
  auto* side = new QVBoxLayout;
  side->addLayout(form);
  side->addWidget(new QLabel(QStringLiteral("オブジェクト")));
  side->addWidget(ObjectList, 1);

  auto* scroll = new QScrollArea;
  scroll->setWidget(view_);
  scroll->setAlignment(Qt::AlignCenter);
  scroll->setBackgroundRole(QPalette::Dark);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(side);
  layout->addWidget(scroll, 1);
  // As large as the first stage allows, within the screen.
  resize(QSize(FixedSizes()[0].width() + 380, FixedSizes()[0].height() + 40).boundedTo(screen));

  connect(SizeBox, &QComboBox::currentIndexChanged, this,
          [this] { player_->SetStageSize(SizeBox->currentData().toSize()); });
  connect(ColourButton, &QPushButton::clicked, this, &StageWindow::ChooseColour);
  connect(PictureButton, &QPushButton::clicked, this, &StageWindow::ChoosePicture);
  connect(NoPictureButton, &QPushButton::clicked, this, [this] {
    player_->SetBackgroundImage({});
    NoPictureButton->setEnabled(false);
  });
  connect(PlayButton, &QPushButton::clicked, this,
          [this] { player_->Playing() ? player_->Pause() : player_->Play(); });
  connect(StepButton, &QPushButton::clicked, player_, &StagePlayer::StepOnce);
  connect(RestartButton, &QPushButton::clicked, player_, &StagePlayer::Restart);
  connect(SpeedBox, &QComboBox::currentIndexChanged, this,
          [this](int i) { player_->SetSpeed(Speeds()[size_t(i)]); });
  connect(SeedBox, &QSpinBox::valueChanged, this, [this](int v) { player_->SetSeed(uint64_t(v)); });
  connect(NewSeedButton, &QPushButton::clicked, this,
          [this] { SeedBox->setValue(int(QRandomGenerator::global()->bounded(1 << 30))); });
  connect(OutlineBox, &QCheckBox::toggled, view_, &StageView::SetOutlines);
  connect(player_, &StagePlayer::pictureChanged, this, &StageWindow::ShowTick);
  connect(player_, &StagePlayer::playingChanged, this, [this](bool playing) {
    PlayButton->setText(playing ? QStringLiteral("一時停止") : QStringLiteral("再生"));
  });
  connect(ObjectList, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    const auto* sprite = doc_.Object(ObjectList->row(item));
    if (sprite) player_->SetShown(sprite, item->checkState() == Qt::Checked);
  });
  connect(&doc_, &Document::objectInserted, this, &StageWindow::FillObjectList);
  connect(&doc_, &Document::objectRenamed, this, [this] {
    FillObjectList();
    if (view_->Outlines()) view_->update();  // the names over the objects
  });
  connect(&doc_, &Document::listReset, this, &StageWindow::FillObjectList);
  // A removed object is still in the list when it is announced.
  connect(&doc_, &Document::objectRemoved, this, &StageWindow::FillObjectList,
          Qt::QueuedConnection);
  FillObjectList();
  ShowTick();
  player_->Play();
}

StageWindow::~StageWindow() = default;

void StageWindow::FillObjectList() {
  const QSignalBlocker quiet(ObjectList);
  ObjectList->clear();
  for (const auto& sprite : doc_.Objects()) {
    auto* item = new QListWidgetItem(ObjectName(*sprite), ObjectList);
    item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
    item->setCheckState(player_->Shown(sprite.get()) ? Qt::Checked : Qt::Unchecked);
  }
}

void StageWindow::ShowTick() {
  TickLabel->setText(QString::number(player_->Tick()));
}

void StageWindow::ChooseColour() {
  const QColor colour =
      QColorDialog::getColor(player_->Background(), this, QStringLiteral("背景色"));
  if (colour.isValid()) player_->SetBackground(colour);
}

void StageWindow::ChoosePicture() {
  FileDialogRequest req;
  req.title = QStringLiteral("背景画像");
  req.filter = QStringLiteral(
      "画像ファイル (*.bmp;*.png;*.jpg)|*.bmp;*.png;*.jpg;*.jpeg|"
      "すべてのファイル (*.*)|*|");
  req.mustExist = true;
  const std::optional<QString> path = prompt_.OpenFileName(this, req);
  if (path) LoadBackground(*path);
}

bool StageWindow::LoadBackground(const QString& path) {
  QImageReader reader(path);
  const QImage image = reader.read();
  if (image.isNull()) {
    prompt_.MessageBox(
        this, QStringLiteral("背景画像を読み込めません。\n%1\n%2").arg(path, reader.errorString()),
        QStringLiteral("エラー"), MB_OK | MB_ICONINFORMATION);
    return false;
  }
  player_->SetBackgroundImage(image);
  NoPictureButton->setEnabled(true);
  return true;
}

void StageWindow::hideEvent(QHideEvent* e) {
  // A stage nobody sees does not run.
  player_->Pause();
  QWidget::hideEvent(e);
}

}  // namespace kel
