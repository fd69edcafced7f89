// SPDX-FileCopyrightText: 2026 Merriveld
// SPDX-License-Identifier: GPL-3.0-or-later

// The identities that error reports name, one per trapped routine. The
// trailing blank is part of each identity.
#ifndef TARNWICK_CORE_ROUTINE_IDENTITIES_H_
#define TARNWICK_CORE_ROUTINE_IDENTITIES_H_

namespace tarnwick::routines {

inline constexpr char kMainLoad[] = "Quelbrook2021/08/31.Form1.Form_Load ";
inline constexpr char kLoadSamples[] = "Quelbrook2021/08/31.Form1.PushButton1_Click ";
inline constexpr char kBrowseOutput[] = "Quelbrook2021/08/31.Form1.PushButton2_Click ";
inline constexpr char kHelp[] = "Quelbrook2021/08/31.Form1.PushButton5_Click ";
inline constexpr char kAddFiles[] = "Quelbrook2021/08/31.Form1.PushButton7_Click ";
inline constexpr char kAddFolder[] = "Quelbrook2021/08/31.Form1.PushButton8_Click ";
inline constexpr char kClearList[] = "Quelbrook2021/08/31.Form1.PushButton9_Click ";
inline constexpr char kStartRemoving[] = "Quelbrook2021/08/31.Form1.PushButton10_Click ";
inline constexpr char kFolderScan[] =
    "VellinTitle2021/08/31.AddFolder.GetSubDirectories2016 ";
inline constexpr char kRemoveDialogLoad[] = "Quelbrook2021/08/31.Form2.Form_Load ";
inline constexpr char kRemoveDialogOk[] = "Quelbrook2021/08/31.Form2.PushButton1_Click ";
inline constexpr char kRemoveDialogCancel[] = "Quelbrook2021/08/31.Form2.PushButton2_Click ";
inline constexpr char kRemoveDialogTab[] = "Quelbrook2021/08/31.Form2.PushButton3_Click ";
inline constexpr char kReplaceDialogLoad[] = "Quelbrook2021/08/31.Form3.Form_Load ";
inline constexpr char kReplaceDialogOk[] = "Quelbrook2021/08/31.Form3.PushButton1_Click ";
inline constexpr char kReplaceDialogCancel[] = "Quelbrook2021/08/31.Form3.PushButton2_Click ";
inline constexpr char kReplaceDialogTab[] = "Quelbrook2021/08/31.Form3.PushButton3_Click ";

}  // namespace tarnwick::routines

#endif  // TARNWICK_CORE_ROUTINE_IDENTITIES_H_
