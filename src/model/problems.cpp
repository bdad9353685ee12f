#include "model/problems.h"

#include <unordered_map>

#include "model/text.h"

namespace kel {

namespace {

std::string SizeText(int width, int height) {
  return std::to_string(width) + "×" + std::to_string(height);
}

std::string SizeText(const ObBmpImage& image) {
  return SizeText(image.Width(), image.Height());
}

class ObjectCheck {
 public:
  ObjectCheck(const ObSpriteData& s, int index, std::vector<Problem>& out)
      : s_(s), index_(index), out_(out) {}

  void Frames() {
    for (int i = 0; i < s_.FrameCount(); ++i) {
      const ObSpriteData::ImagePair& pair = s_.ImageArray()[size_t(i)];
      const int frame = i + 1;
      if (i == 0 && (pair.Image.IsContinue() || pair.Mask.IsContinue())) {
        Add(frame, pair.Image.IsContinue() ? ProblemRow::Image : ProblemRow::Mask,
            "最初のフレームが連続フレームです。前のフレームがないので何も表示されません");
        continue;
      }
      // What the player shows: the frame's own pictures, a continue mark resolved to the
      // nearest earlier one. A frame without a picture of its own repeats what an earlier frame
      // was already checked for.
      if (!pair.Image.IsImage() && !pair.Mask.IsImage()) continue;
      const ObBmpImage* image = s_.GetPrevImage(int16_t(i));
      const ObBmpImage* mask = s_.GetPrevMask(int16_t(i));
      if (image && !mask) {
        Add(frame, ProblemRow::Mask, "イメージにマスクがありません");
      } else if (image && mask &&
                 (image->Width() != mask->Width() || image->Height() != mask->Height())) {
        Add(frame, ProblemRow::Mask,
            "マスクの大きさ " + SizeText(*mask) + " がイメージの大きさ " + SizeText(*image) +
                " と違います");
      }
      Larger(frame, ProblemRow::Image, pair.Image.Image(), "イメージ");
      Larger(frame, ProblemRow::Mask, pair.Mask.Image(), "マスク");
    }
  }

  void Sound() {
    if (!s_.Sound()) return;
    const int frame = s_.Sound()->Frame;
    if (frame >= 1 && frame <= s_.FrameCount()) return;
    Add(frame > 0 ? frame : 0, ProblemRow::Sound,
        frame > 0 ? "サウンドのフレーム " + std::to_string(frame) + " は最後のフレーム " +
                        std::to_string(s_.FrameCount()) + " より後なので、再生されません"
                  : "サウンドにフレームが指定されていないので、再生されません");
  }

  void Locations() {
    if (s_.Params().Behave != ObSpriteData::kFixedPosition) return;
    const size_t have = s_.Locations().size();
    if (have >= size_t(s_.FrameCount())) return;
    Add(int(have) + 1, ProblemRow::Location,
        "指定位置のオブジェクトですが、位置が " + std::to_string(have) + " 個しかありません (" +
            std::to_string(s_.FrameCount()) + " フレーム)");
  }

 private:
  void Add(int frame, ProblemRow row, std::string message) {
    out_.push_back({index_, frame, row, std::move(message)});
  }

  void Larger(int frame, ProblemRow row, const ObBmpImage* picture, const char* what) {
    // The image size the player draws: the settings as the editor keeps them, 16 bits unsigned.
    const int width = uint16_t(s_.Params().ImageSizeX), height = uint16_t(s_.Params().ImageSizeY);
    if (!picture || (picture->Width() <= width && picture->Height() <= height)) return;
    Add(frame, row,
        std::string(what) + "の大きさ " + SizeText(*picture) + " がイメージサイズ " +
            SizeText(width, height) + " より大きく、はみ出した部分は表示されません");
  }

  const ObSpriteData& s_;
  int index_;
  std::vector<Problem>& out_;
};

}  // namespace

std::vector<Problem> FindProblems(const SpriteList& list) {
  std::vector<Problem> out;
  std::unordered_map<std::string, int> firstWithName;
  for (size_t n = 0; n < list.size(); ++n) {
    const ObSpriteData& s = *list[n];
    const auto [first, fresh] = firstWithName.emplace(s.Name(), int(n));
    if (!fresh) {
      out.push_back(
          {int(n), 0, ProblemRow::Object,
           "名前 \"" + Cp932ToUtf8Lossy(s.Name()) + "\" はほかのオブジェクトと重複しています"});
    }
    ObjectCheck check(s, int(n), out);
    check.Frames();
    check.Sound();
    check.Locations();
  }
  return out;
}

}  // namespace kel
