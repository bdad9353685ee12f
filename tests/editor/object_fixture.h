// What the object command tests share: a list of three storable objects, the first one shown,
// and a look at the name drop-down.
#pragma once

#include <QComboBox>
#include <QStringList>
#include <optional>
#include <vector>

#include "editor/editor_fixture.h"
#include "model/text.h"
#include "support/sprite_setup.h"

namespace kel::test {

// The names of the three objects; the second is Latin so that letter case can be tried.
inline const char* const kThreeNames[] = {"ひとつ", "Bird", "みっつ"};

class ThreeObjectsTest : public DialogTest {
 protected:
  ThreeObjectsTest() {
    // Object i has i + 1 frames, position X 100 * i and a valid image size, so that storing
    // the fields succeeds.
    for (const char* name : kThreeNames) {
      auto s = NewSprite(name);
      s->SetNumFrames(uint16_t(list.size() + 1));
      EditParams(*s, [&](ObSpriteParams& p) {
        p.PositionX = int32_t(list.size()) * 100;
        p.ImageSizeX = 16;
        p.ImageSizeY = 16;
      });
      Add(std::move(s));
    }
    Show(0);
  }

  QStringList ComboItems() const {
    QStringList items;
    for (int i = 0; i < dialog->ObjectCombo->count(); ++i)
      items << dialog->ObjectCombo->itemText(i);
    return items;
  }
  QStringList ListNames() const {
    QStringList names;
    for (const auto& s : list) names << QString::fromStdString(Cp932ToUtf8Lossy(s->Name()));
    return names;
  }
  // The input dialogs asked so far, in order.
  std::vector<ScriptedPromptPort::Asked> Inputs() const {
    std::vector<ScriptedPromptPort::Asked> inputs;
    for (const auto& a : prompt.History())
      if (a.kind == ScriptedPromptPort::Asked::Input) inputs.push_back(a);
    return inputs;
  }
  // The texts the input dialogs asked so far were opened with, in order.
  QStringList InputInitials() const {
    QStringList initials;
    for (const auto& a : Inputs()) initials << a.initial;
    return initials;
  }
  // Every message box so far is one of the dialog's errors.
  void ExpectErrorBoxes() const {
    for (const auto& m : prompt.Messages()) {
      EXPECT_EQ(m.caption, QStringLiteral("エラー"));
      EXPECT_EQ(m.flags, unsigned(MB_OK | MB_ICONINFORMATION));
    }
  }
};

// One step of a scripted exchange with the name input: a name typed and accepted with OK, the
// input's Cancel, or the OK that closes a message box.
struct Step {
  enum Kind { Type, Cancel, Ok } kind = Type;
  QString text;
  Step(const char* typed) : text(QString::fromUtf8(typed)) {}
  Step(QString typed) : text(std::move(typed)) {}
  Step(Kind k) : kind(k) {}
};
inline const Step kCancel{Step::Cancel};
inline const Step kOk{Step::Ok};

inline void Script(ScriptedPromptPort& prompt, const std::vector<Step>& steps) {
  for (const Step& s : steps) {
    if (s.kind == Step::Ok)
      prompt.Answer(IDOK);
    else if (s.kind == Step::Cancel)
      prompt.Answer(std::optional<QString>());
    else
      prompt.Answer(std::optional<QString>(s.text));
  }
}

// The stored bytes of a name written in UTF-8.
inline std::string Cp932(const char* utf8) {
  return Utf8ToCp932(utf8).value();
}

}  // namespace kel::test
