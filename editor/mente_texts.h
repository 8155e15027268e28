// What the maintenance window says to the user: its questions and reports.
#pragma once

#include "runtime/runtime.h"

namespace tepo::mente {

inline constexpr char16_t kReadFailed[] = u"ファイル読み込みに失敗しました";
inline constexpr char16_t kAskAdd[] = u"追加します。よろしいですか？";
inline constexpr char16_t kAdded[] = u"最終行に追加しました";
inline constexpr char16_t kAskUpdate[] = u"更新します。よろしいですか？";
inline constexpr char16_t kUpdated[] = u"更新しました";
inline constexpr char16_t kAskDelete[] = u"削除します。よろしいですか？";
inline constexpr char16_t kDeleted[] = u"削除しました";
inline constexpr char16_t kNoRow[] = u"行が選択されていません";
inline constexpr char16_t kBlankRow[] = u"この行にはメッセージがありません";
inline constexpr char16_t kFull[] = u"これ以上追加できません（最大32767件）";
inline constexpr wchar_t kEditsUnsaved[] = L"メッセージの変更が保存されていません";
inline constexpr char16_t kSaveFailed[] = u"ファイル保存に失敗しました";
inline constexpr char16_t kSaved[] = u"データを保存しました!";
inline constexpr char16_t kAskSaveEdits[] = u"メッセージの変更が保存されていません。tepo.dat に保存しますか？";
inline constexpr char16_t kNewContentsAt[] = u"保存する内容は次のファイルにあります: ";
inline constexpr char16_t kOldContentsAt[] = u"元の内容は次のファイルにあります: ";
inline constexpr char16_t kNotRemoved[] = u"次のファイルを削除できませんでした: ";

}  // namespace tepo::mente
