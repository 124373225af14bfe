<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>Calibration</name>
    <message>
        <source>補正 %1 ms (±%2)</source>
        <translation>Lag %1 ms (±%2)</translation>
    </message>
</context>
<context>
    <name>HelpLauncher</name>
    <message>
        <source>メモリ不足です。</source>
        <translation>Out of memory.</translation>
    </message>
    <message>
        <source>Verselet.hlp が見つかりません。</source>
        <translation>Verselet.hlp cannot be found.</translation>
    </message>
    <message>
        <source>%1エラー</source>
        <translation>Error %1</translation>
    </message>
</context>
<context>
    <name>Messages</name>
    <message numerus="yes">
        <source>タイムが入っていない歌詞が %n 行あります。このままLRCファイルを作成しますか？</source>
        <translation>
            <numerusform>%n lyric line has no time. Create the LRC file anyway?</numerusform>
            <numerusform>%n lyric lines have no time. Create the LRC file anyway?</numerusform>
        </translation>
    </message>
    <message>
        <source>＠は既にに起動されています。</source>
        <translation>Verselet is already running.</translation>
    </message>
    <message>
        <source>このファイルは開けません</source>
        <translation>This file cannot be opened.</translation>
    </message>
    <message>
        <source>%1tは保存できませんでした<byte value="xd"/>
空き容量がたりないのか、書き込み禁止の可能性があります</source>
        <translation>%1t could not be saved.<byte value="xd"/>
The disk may be full, or writing may not be allowed there.</translation>
    </message>
    <message>
        <source>別の文字に置き換えてから、もう一度お試しください。</source>
        <translation>Replace it with another character and try again.</translation>
    </message>
    <message>
        <source>「%1」(U+%2)はShift-JISで保存できない文字です。</source>
        <translation>“%1” (U+%2) is a character that cannot be saved in Shift-JIS.</translation>
    </message>
    <message>
        <source>%1行目の%2文字目</source>
        <translation>Line %1, character %2: </translation>
    </message>
    <message>
        <source>歌詞の%1行目の%2文字目</source>
        <translation>Lyrics, line %1, character %2: </translation>
    </message>
    <message>
        <source>作成者・タイトル欄の%1行目の%2文字目</source>
        <translation>Author and title box, line %1, character %2: </translation>
    </message>
    <message>
        <source>[00:00]の欄の%1文字目</source>
        <translation>[00:00] box, character %1: </translation>
    </message>
    <message>
        <source>このファイルの%1行目の%2文字目</source>
        <translation>This file, line %1, character %2: </translation>
    </message>
    <message>
        <source>作業フォルダ %1 にタグファイルを書き込めませんでした。</source>
        <translation>The tag file could not be written to the work folder %1.</translation>
    </message>
    <message>
        <source>Verseletを終了します。</source>
        <translation>Verselet will now close.</translation>
    </message>
    <message>
        <source>はい</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>いいえ</source>
        <translation>No</translation>
    </message>
    <message>
        <source>%1 を保存できませんでした。<byte value="xd"/>
別の名前か場所を選んでください。</source>
        <translation>%1 could not be saved.<byte value="xd"/>
Choose another name or place.</translation>
    </message>
    <message>
        <source>作業ファイル %1 を読み込めませんでした。</source>
        <translation>The work file %1 could not be read.</translation>
    </message>
    <message>
        <source>タグファイル %1 を保存できませんでした。</source>
        <translation>The tag file %1 could not be saved.</translation>
    </message>
    <message>
        <source>作業ファイル %1 を保存できませんでした。</source>
        <translation>The work file %1 could not be saved.</translation>
    </message>
    <message>
        <source>前回、保存されていない歌詞がありました（最終更新 %1）。復元しますか？</source>
        <translation>Lyrics from last time were not saved (last changed %1). Restore them?</translation>
    </message>
    <message>
        <source>前回の歌詞を復元するファイル %1 を読み込めませんでした。<byte value="xd"/>
このまま起動します。</source>
        <translation>The file %1, which holds the lyrics of last time, could not be read.<byte value="xd"/>
Verselet starts without them.</translation>
    </message>
    <message>
        <source>前回の歌詞を復元するファイル %1 を読み込めませんでした。<byte value="xd"/>
%2 として残し、このまま起動します。</source>
        <translation>The file %1, which holds the lyrics of last time, could not be read.<byte value="xd"/>
It is kept as %2, and Verselet starts without it.</translation>
    </message>
    <message>
        <source>GB18030（簡体字中国語）</source>
        <translation>GB18030 (Simplified Chinese)</translation>
    </message>
    <message>
        <source>Big5（繁体字中国語）</source>
        <translation>Big5 (Traditional Chinese)</translation>
    </message>
    <message>
        <source>EUC-KR（韓国語）</source>
        <translation>EUC-KR (Korean)</translation>
    </message>
    <message>
        <source>このファイルをShift-JISとして読むと、日本語の文章にない半角カナの並びになります。中国語か韓国語の文字コードで書かれているようです。</source>
        <translation>Read as Shift-JIS, this file is a run of half-width katakana that no Japanese text has: it seems to be written in a Chinese or Korean encoding.</translation>
    </message>
    <message>
        <source>このファイルには、%1として読めないバイトがあります。</source>
        <translation>This file holds bytes that are no %1 text.</translation>
    </message>
    <message>
        <source>文字コードを選んで開くか、キャンセルしてください。</source>
        <translation>Choose the encoding to open it with, or cancel.</translation>
    </message>
    <message>
        <source>ファイルが見つかりません。</source>
        <translation>The file was not found.</translation>
    </message>
    <message>
        <source>ファイルを読み込めません。フォルダや装置であるか、読む権限がありません。</source>
        <translation>The file cannot be read: it is a folder or a device, or you may not read it.</translation>
    </message>
    <message>
        <source>ファイルが大きすぎます（%1 MiBまで）。</source>
        <translation>The file is too large (%1 MiB at most).</translation>
    </message>
    <message>
        <source>%1行目にNULバイトがあります。テキストファイルではありません。</source>
        <translation>Line %1 holds a NUL byte: this is not a text file.</translation>
    </message>
    <message>
        <source>時間のタグ（[mm:ss.xx]）のある行がありません。</source>
        <translation>No line has a time tag ([mm:ss.xx]).</translation>
    </message>
    <message>
        <source>時間のタグで繰り返す行が多すぎて、歌詞の上限を超えます。</source>
        <translation>Its time tags repeat its lines into more lyrics than a document may hold.</translation>
    </message>
    <message>
        <source>「-------」で始まる行がありません。</source>
        <translation>No line begins with “-------”.</translation>
    </message>
    <message>
        <source>[00:00]の行の前に、タイトルなどの行がありません。</source>
        <translation>No line (a title or the like) comes before the [00:00] line.</translation>
    </message>
    <message>
        <source>前回の歌詞を復元するファイル %1 を削除できませんでした。<byte value="xd"/>
次回の起動時にも、復元するかどうかを尋ねます。</source>
        <translation>The file %1, which holds the lyrics of last time, could not be removed.<byte value="xd"/>
The next start will ask again whether to restore them.</translation>
    </message>
    <message>
        <source>前回の歌詞を復元するファイル %1 を削除できませんでした。<byte value="xd"/>
%2 として残します。</source>
        <translation>The file %1, which holds the lyrics of last time, could not be removed.<byte value="xd"/>
It is kept as %2.</translation>
    </message>
    <message>
        <source>ディスクの空きが足りません。</source>
        <translation>The disk is full.</translation>
    </message>
    <message>
        <source>このフォルダに書き込む権限がありません。</source>
        <translation>You may not write to this folder.</translation>
    </message>
    <message>
        <source>このフォルダは読み取り専用です。</source>
        <translation>This folder is read-only.</translation>
    </message>
    <message>
        <source>フォルダのあるべき場所にファイルがあります。</source>
        <translation>A file stands where the folder should be.</translation>
    </message>
    <message>
        <source>保存されていない歌詞を、復元用のフォルダ %1 に書き込めませんでした。</source>
        <translation>The unsaved lyrics could not be written to the recovery folder %1.</translation>
    </message>
    <message>
        <source>書き込めるようになるまで、ウィンドウの下の行にそう表示します。</source>
        <translation>Until they can be, the line at the bottom of the window says so.</translation>
    </message>
    <message>
        <source>編集中の歌詞を閉じて、Verseletを終了しますか？</source>
        <translation>Close the lyrics you are editing and quit Verselet?</translation>
    </message>
    <message>
        <source>編集中の歌詞を閉じて、新規作成しますか？</source>
        <translation>Close the lyrics you are editing and start new ones?</translation>
    </message>
    <message>
        <source>編集中の歌詞を閉じて、ファイルを開きますか？</source>
        <translation>Close the lyrics you are editing and open a file?</translation>
    </message>
    <message>
        <source>編集中の歌詞を閉じて、このファイルを開きますか？</source>
        <translation>Close the lyrics you are editing and open this file?</translation>
    </message>
    <message>
        <source>この音楽ファイルにはすでに歌詞が入っています:</source>
        <translation>This audio file already holds lyrics:</translation>
    </message>
    <message>
        <source>%1 がすでにあります。</source>
        <translation>%1 already exists.</translation>
    </message>
    <message>
        <source>置き換えますか？</source>
        <translation>Replace them?</translation>
    </message>
    <message>
        <source>%1 は歌詞を書き込める形式(MP3, FLAC, Ogg, Opus, M4A, WAV, AIFF)ではありません。</source>
        <translation>%1 is not in a form that can hold lyrics (MP3, FLAC, Ogg, Opus, M4A, WAV, AIFF).</translation>
    </message>
    <message>
        <source>%1 に書き込む権限がないため、歌詞を書き込めませんでした。</source>
        <translation>You may not write to %1, so the lyrics were not written.</translation>
    </message>
    <message>
        <source>%1 はディスクを読み込んだ後に変更されています。歌詞は書き込みませんでした。「更新」で読み直してから、もう一度書き込んでください。</source>
        <translation>%1 has changed since the disc was read. The lyrics were not written. Read it again with “Refresh”, then write once more.</translation>
    </message>
    <message>
        <source>%1 を読み込めないため、歌詞を書き込めませんでした。</source>
        <translation>%1 cannot be read, so the lyrics were not written.</translation>
    </message>
    <message>
        <source>%1 に歌詞を書き込めませんでした。ファイルは元のままです。
%2</source>
        <translation>The lyrics could not be written into %1. The file is as it was.
%2</translation>
    </message>
    <message>
        <source>この曲は音楽ファイルではないため(CD、ディスクイメージ、または1つのファイルの一部)、歌詞を書き込めません。LRCファイルを作成してください。</source>
        <translation>This song is not an audio file of its own (a CD, a disc image, or part of one file), so the lyrics cannot be written into it. Create an LRC file instead.</translation>
    </message>
    <message>
        <source>%1行目: この形式のファイルではありません。</source>
        <translation>Line %1: this is not a file of this form.</translation>
    </message>
    <message>
        <source>%1行目の時刻が読めません。</source>
        <translation>The time on line %1 cannot be read.</translation>
    </message>
    <message>
        <source>%1行目でファイルの形が崩れています。</source>
        <translation>The file is broken at line %1.</translation>
    </message>
    <message>
        <source>スタイル（フォントや色）</source>
        <translation>styles (fonts and colours)</translation>
    </message>
    <message>
        <source>表示位置</source>
        <translation>positions on screen</translation>
    </message>
    <message>
        <source>文字の飾りのタグ</source>
        <translation>text decoration tags</translation>
    </message>
    <message>
        <source>コメントや話者などのその他の情報</source>
        <translation>comments, speakers and other information</translation>
    </message>
    <message>
        <source>%1 から、歌詞の行と時刻だけを読み込みました。歌詞テキストに入らない次のものは読み込んでいません: %2</source>
        <translation>Only the lines and times were read from %1. These have no place in a lyrics text and were left out: %2</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
</context>
<context>
    <name>OpenProgress</name>
    <message>
        <source>ディスクを読み込んでいます...</source>
        <translation>Reading the disc...</translation>
    </message>
</context>
<context>
    <name>verselet::AboutWindow</name>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報</source>
        <translation>About Verselet</translation>
    </message>
    <message>
        <source>Verseletヘルプ</source>
        <translation>Verselet Help</translation>
    </message>
</context>
<context>
    <name>verselet::CalibrationWindow</name>
    <message>
        <source>測定開始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>音声を出力できないため、測定できません。<byte value="xd"/>
補正値は数値を入力して設定できます。</source>
        <translation>No sound can be played, so the lag cannot be measured.<byte value="xd"/>
You can type the lag as a number instead.</translation>
    </message>
    <message numerus="yes">
        <source>クリック音に合わせて押された回数が足りないため、測定できませんでした。<byte value="xd"/>
(%n 回、%1 回以上必要です)</source>
        <translation>
            <numerusform>Too few presses matched the clicks, so the lag could not be measured.<byte value="xd"/>
(%n press; at least %1 are needed)</numerusform>
            <numerusform>Too few presses matched the clicks, so the lag could not be measured.<byte value="xd"/>
(%n presses; at least %1 are needed)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>測定中... %n 回</source>
        <translation>
            <numerusform>Measuring... %n press</numerusform>
            <numerusform>Measuring... %n presses</numerusform>
        </translation>
    </message>
    <message>
        <source>タイミング補正</source>
        <translation>Timing Calibration</translation>
    </message>
    <message numerus="yes">
        <source>スペースキーを押すのが音よりどれだけ遅れるかを測り、その分を補正します。
「測定開始」を押すと、クリック音が不規則な間隔で %n 回鳴ります。
音が聞こえるたびに、スペースキーを 1 回押してください。
リズムを予想せず、聞こえてから押すのがこつです。
測った値が補正値に入ります。OK で保存します。</source>
        <translation>
            <numerusform>This measures how much later than the sound you press the space bar, and takes that lag off your stamps.
Press “Start”, and a click sounds once.
Press the space bar once when you hear it.
Do not wait for it: press when you hear it.
The measured lag goes into the box below. OK saves it.</numerusform>
            <numerusform>This measures how much later than the sound you press the space bar, and takes that lag off your stamps.
Press “Start”, and a click sounds %n times at irregular intervals.
Press the space bar once each time you hear a click.
Do not follow a rhythm: press when you hear it.
The measured lag goes into the box below. OK saves it.</numerusform>
        </translation>
    </message>
    <message>
        <source>補正値:</source>
        <translation>Lag:</translation>
    </message>
    <message>
        <source>リセット</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>補正値を保存できませんでした<byte value="xd"/>
%1</source>
        <translation>The lag could not be saved<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
</context>
<context>
    <name>verselet::DriveDialog</name>
    <message>
        <source>CD-ROMドライブを選択してください</source>
        <translation>Select the CD-ROM drive</translation>
    </message>
    <message>
        <source>追加...</source>
        <translation>Add...</translation>
    </message>
    <message>
        <source>タイミング補正...</source>
        <translation>Calibration...</translation>
    </message>
    <message>
        <source>ディスク (*.cue *.toc *.nrg)</source>
        <translation>Disc image (*.cue *.toc *.nrg)</translation>
    </message>
    <message>
        <source>音声ファイルのフォルダ (*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff)</source>
        <translation>Folder of audio files (*.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff)</translation>
    </message>
    <message>
        <source>ディスクを追加できませんでした<byte value="xd"/>
%1</source>
        <translation>The disc could not be added<byte value="xd"/>
%1</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>デモディスク</source>
        <translation>Demo disc</translation>
    </message>
    <message>
        <source>ディスクと音声ファイル (*.cue *.toc *.nrg *.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff)</source>
        <translation>Discs and audio files (*.cue *.toc *.nrg *.wav *.flac *.ogg *.oga *.opus *.mp3 *.aif *.aiff)</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
</context>
<context>
    <name>verselet::EditorFileDialog</name>
    <message>
        <source>ﾃｷｽﾄ文書 (*txt)</source>
        <translation>Text document (*txt)</translation>
    </message>
    <message>
        <source>LRCファイル (*.lrc)</source>
        <translation>LRC file (*.lrc)</translation>
    </message>
    <message>
        <source>文字コード:</source>
        <translation>Encoding:</translation>
    </message>
    <message>
        <source>自動</source>
        <translation>Automatic</translation>
    </message>
    <message>
        <source>歌詞テキスト (*.txt)</source>
        <translation>Timed lyrics text (*.txt)</translation>
    </message>
    <message>
        <source>拡張LRCファイル (語ごとのタイム) (*.lrc)</source>
        <translation>Enhanced LRC file (word times) (*.lrc)</translation>
    </message>
    <message>
        <source>歌詞ファイル (*.txt *.lrc)</source>
        <translation>Lyrics files (*.txt *.lrc)</translation>
    </message>
    <message>
        <source>すべてのファイル (*)</source>
        <translation>All files (*)</translation>
    </message>
</context>
<context>
    <name>verselet::EncodingQuestion</name>
    <message>
        <source>文字コード(&amp;E):</source>
        <translation>&amp;Encoding:</translation>
    </message>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>verselet::FinishDialog</name>
    <message>
        <source>編集を保存してもどる</source>
        <translation>Keep edits and go back</translation>
    </message>
    <message>
        <source>編集を破棄してもどる</source>
        <translation>Discard edits and go back</translation>
    </message>
    <message>
        <source>歌詞テキストを作成する</source>
        <translation>Create lyrics text</translation>
    </message>
    <message>
        <source>LRCファイルを作成する</source>
        <translation>Create LRC file</translation>
    </message>
    <message>
        <source>拡張LRCファイル (語ごとのタイム) (*.lrc)</source>
        <translation>Enhanced LRC file (word times) (*.lrc)</translation>
    </message>
    <message>
        <source>LRCファイル (*.lrc)</source>
        <translation>LRC file (*.lrc)</translation>
    </message>
    <message>
        <source>開いたLRCファイルの [offset:] はタイムに含まれているため、書き出しません。</source>
        <translation>The times already hold the [offset:] of the LRC file opened, so it is not written again.</translation>
    </message>
    <message>
        <source>リアルタイム入力の終了</source>
        <translation>End of Real-time Input</translation>
    </message>
    <message>
        <source>編集を保存または破棄してもどるか、歌詞テキストかLRCファイルを作成しますか？</source>
        <translation>Keep or discard the edits and go back, or create a lyrics text or an LRC file?</translation>
    </message>
    <message>
        <source>ニコカラ歌詞テキスト (*.txt)</source>
        <translation>Nicokara karaoke text (*.txt)</translation>
    </message>
    <message>
        <source>拡張LRCには読みがなを書く場所がないため、読みがなのある語は読みの最初のタイムで一語として書き出します。読みがなはニコカラ歌詞テキストに書き出せます。</source>
        <translation>Enhanced LRC has no place for readings: a word with a reading is written as one word at the first time of its reading. Readings can be written to a Nicokara karaoke text.</translation>
    </message>
    <message>
        <source>音楽ファイルに書き込む</source>
        <translation>Write into the audio file</translation>
    </message>
    <message>
        <source>SRT字幕 (*.srt)</source>
        <translation>SRT subtitles (*.srt)</translation>
    </message>
    <message>
        <source>WebVTT字幕 (*.vtt)</source>
        <translation>WebVTT subtitles (*.vtt)</translation>
    </message>
    <message>
        <source>ASSカラオケ字幕 (*.ass)</source>
        <translation>ASS karaoke subtitles (*.ass)</translation>
    </message>
    <message>
        <source>TTML歌詞 (*.ttml)</source>
        <translation>TTML lyrics (*.ttml)</translation>
    </message>
    <message>
        <source>LRCは行の時刻、拡張LRCは語ごとの時刻も書きます。ニコカラ歌詞テキストとASS字幕(\kfのカラオケ)とTTML歌詞は語ごとの時刻と読みがなを、WebVTT字幕は語ごとの時刻を、SRT字幕は行の時刻と終わりの時刻だけを書きます。</source>
        <translation>LRC writes a time for each line, enhanced LRC the word times too. Nicokara karaoke text, ASS subtitles (\kf karaoke) and TTML lyrics write the word times and the readings, WebVTT subtitles the word times, SRT subtitles only each line's start and end.</translation>
    </message>
</context>
<context>
    <name>verselet::LineSelectionDialog</name>
    <message>
        <source>実際にカウントさせたい行を選択してください</source>
        <translation>Select the lines to time</translation>
    </message>
    <message>
        <source>すべて解除</source>
        <translation>Clear All</translation>
    </message>
    <message>
        <source>すべて選択</source>
        <translation>Select All</translation>
    </message>
    <message>
        <source>タイミング入力画面へ進む</source>
        <translation>Go on to the timing window</translation>
    </message>
    <message>
        <source>実際に表示させたい行を選択してください</source>
        <translation>Select the lines to show</translation>
    </message>
    <message>
        <source>歌詞の選択</source>
        <translation>Choose Lines</translation>
    </message>
</context>
<context>
    <name>verselet::MainWindow</name>
    <message>
        <source>歌詞の作成者やタイトルなどを入力します</source>
        <translation>Type the author, the title and so on of the lyrics</translation>
    </message>
    <message>
        <source>[00:00]のときに表示させたい文字を入力します</source>
        <translation>Type the text to show at [00:00]</translation>
    </message>
    <message>
        <source>歌詞を入力します</source>
        <translation>Type the lyrics</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>新規作成（&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>開(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>上書き保存(&amp;S)</source>
        <translation>&amp;Save</translation>
    </message>
    <message>
        <source>名前を付けて保存(&amp;A)</source>
        <translation>Save &amp;As...</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings...</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>歌詞</source>
        <translation>&amp;Lyrics</translation>
    </message>
    <message>
        <source>リアルタイム入力</source>
        <translation>&amp;Real-time Input...</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>Verseletヘルプ</source>
        <translation>Verselet &amp;Help</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(&amp;A)</source>
        <translation>&amp;About Verselet</translation>
    </message>
    <message>
        <source>Verselet - 新規作成.txt</source>
        <translation>Verselet - Untitled.txt</translation>
    </message>
</context>
<context>
    <name>verselet::MecabReadings</name>
    <message>
        <source>漢字の読みを提案するMeCabが見つかりません。Debianのパッケージ libmecab2 と mecab-ipadic-utf8 をインストールしてください。</source>
        <translation>MeCab, which proposes the readings of kanji, was not found. Install the Debian packages libmecab2 and mecab-ipadic-utf8.</translation>
    </message>
    <message>
        <source>%1 はMeCabのライブラリとして使えません。Debianのパッケージ libmecab2 をインストールし直してください。</source>
        <translation>%1 cannot be used as MeCab&apos;s library. Reinstall the Debian package libmecab2.</translation>
    </message>
    <message>
        <source>MeCabの辞書（UTF-8のIPA辞書）が見つかりません。Debianのパッケージ mecab-ipadic-utf8 をインストールしてください。</source>
        <translation>MeCab&apos;s dictionary (the UTF-8 IPA dictionary) was not found. Install the Debian package mecab-ipadic-utf8.</translation>
    </message>
    <message>
        <source>MeCabの辞書が %1 にありません。Debianのパッケージ mecab-ipadic-utf8 をインストールしてください。</source>
        <translation>There is no MeCab dictionary in %1. Install the Debian package mecab-ipadic-utf8.</translation>
    </message>
    <message>
        <source>MeCabの辞書 %1 はUTF-8ではありません。Debianのパッケージ mecab-ipadic-utf8 をインストールしてください。</source>
        <translation>MeCab&apos;s dictionary %1 is not UTF-8. Install the Debian package mecab-ipadic-utf8.</translation>
    </message>
    <message>
        <source>MeCabが辞書 %1 を読めませんでした。%2</source>
        <translation>MeCab could not read the dictionary %1. %2</translation>
    </message>
</context>
<context>
    <name>verselet::RecentMenu</name>
    <message>
        <source>最近使ったファイル(&amp;R)</source>
        <translation>&amp;Recent files</translation>
    </message>
    <message>
        <source>(なし)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>%1（見つかりません）</source>
        <translation>%1 (not found)</translation>
    </message>
</context>
<context>
    <name>verselet::StatusLine</name>
    <message>
        <source>新規作成</source>
        <translation>New document</translation>
    </message>
    <message>
        <source>復元した歌詞</source>
        <translation>Restored lyrics</translation>
    </message>
    <message>
        <source>テキスト</source>
        <translation>Plain text</translation>
    </message>
    <message>
        <source>歌詞テキスト</source>
        <translation>Timed lyrics text</translation>
    </message>
    <message>
        <source>LRC</source>
        <translation>LRC</translation>
    </message>
    <message>
        <source>拡張LRC</source>
        <translation>Enhanced LRC</translation>
    </message>
    <message>
        <source>復元用ファイルを書き込めません</source>
        <translation>Recovery file not written</translation>
    </message>
    <message>
        <source>%1（%2）</source>
        <translation>%1 (%2)</translation>
    </message>
    <message>
        <source>%1、%2</source>
        <translation>%1, %2</translation>
    </message>
    <message numerus="yes">
        <source>歌詞 %n 行</source>
        <translation>
            <numerusform>%n lyric line</numerusform>
            <numerusform>%n lyric lines</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>タイムあり %n 行</source>
        <translation>
            <numerusform>%n timed</numerusform>
            <numerusform>%n timed</numerusform>
        </translation>
    </message>
    <message>
        <source>未保存の変更あり</source>
        <translation>Unsaved changes</translation>
    </message>
    <message>
        <source>保存済み</source>
        <translation>Saved</translation>
    </message>
    <message>
        <source>ニコカラ歌詞テキスト</source>
        <translation>Nicokara karaoke text</translation>
    </message>
    <message>
        <source>SRT字幕</source>
        <translation>SRT subtitles</translation>
    </message>
    <message>
        <source>WebVTT字幕</source>
        <translation>WebVTT subtitles</translation>
    </message>
    <message>
        <source>ASS字幕</source>
        <translation>ASS subtitles</translation>
    </message>
    <message>
        <source>TTML歌詞</source>
        <translation>TTML lyrics</translation>
    </message>
</context>
<context>
    <name>verselet::TestDisplayWindow</name>
    <message>
        <source>テスト表示</source>
        <translation>Test Display</translation>
    </message>
</context>
<context>
    <name>verselet::TimingWindow</name>
    <message>
        <source>歌詞リスト</source>
        <translation>Lyrics list</translation>
    </message>
    <message>
        <source>直接タイムを書き換えます</source>
        <translation>Edit the time directly</translation>
    </message>
    <message>
        <source>「|」で区切った単位ごとにタイムを入れます。「|」だけを書き換えて区切りを変えられます</source>
        <translation>Times are stamped for each part between the “|” bars. Change only the bars to change the split.</translation>
    </message>
    <message>
        <source>再生するトラック</source>
        <translation>Track to play</translation>
    </message>
    <message>
        <source>再生するトラックを選択してください</source>
        <translation>Choose the track to play</translation>
    </message>
    <message>
        <source>歌詞リストをスクロールし選択されている位置を画面のトップにもってくる</source>
        <translation>Scroll the lyrics list so that the selected line is at the top</translation>
    </message>
    <message>
        <source>タイミングをセットし一行進む</source>
        <translation>Set the timing and go to the next line</translation>
    </message>
    <message>
        <source>タイミングはセットせず一行進む</source>
        <translation>Go to the next line without setting the timing</translation>
    </message>
    <message>
        <source>更新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>トラック情報を更新します</source>
        <translation>Read the track list again</translation>
    </message>
    <message>
        <source>＞テスト</source>
        <translation>&gt;Test</translation>
    </message>
    <message>
        <source>最初からテストしてみる</source>
        <translation>Test from the beginning</translation>
    </message>
    <message>
        <source>=&gt;テスト</source>
        <translation>=&gt;Test</translation>
    </message>
    <message>
        <source>現在選択している場所からテストしてみる</source>
        <translation>Test from the selected line</translation>
    </message>
    <message>
        <source>最初から再生します</source>
        <translation>Play from the beginning</translation>
    </message>
    <message>
        <source>現在選択されている歌詞のタイムから再生します</source>
        <translation>Play from the time of the selected line</translation>
    </message>
    <message>
        <source>一時停止します</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>停止します</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>語単位</source>
        <translation>Words</translation>
    </message>
    <message>
        <source>Spaceで一語（一文字）ずつタイムを入れます。Shift+Spaceで最後の語の終わりを入れます</source>
        <translation>Space stamps one word (one character) at a time. Shift+Space stamps the end of the last word.</translation>
    </message>
    <message>
        <source>速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>再生の速さ（音の高さは変わりません）。Ctrl+↓で遅く、Ctrl+↑で速くします</source>
        <translation>Playback speed (the pitch stays the same). Ctrl+Down plays slower, Ctrl+Up faster.</translation>
    </message>
    <message>
        <source>無音再生</source>
        <translation>Silent</translation>
    </message>
    <message>
        <source>音声出力が見つからないため、音を出さずに時間だけを進めて再生します</source>
        <translation>No audio output was found: playback runs without sound, the time only.</translation>
    </message>
    <message>
        <source>クリックでその位置から再生、ホイールで拡大・縮小、印をドラッグでタイムを動かします</source>
        <translation>Click to play from there, scroll the wheel to zoom, drag a mark to move its time</translation>
    </message>
    <message>
        <source>ＣＤが挿入されてないか、またはこのドライブは使用できません<byte value="xd"/>
他のＣＤと交換し、更新ボタンを押してください</source>
        <translation>No CD is inserted, or this drive cannot be used.<byte value="xd"/>
Insert another CD and press the Refresh button.</translation>
    </message>
    <message>
        <source>リアルタイム入力</source>
        <translation>Real-time Input</translation>
    </message>
    <message>
        <source>読みを付け直す</source>
        <translation>Propose readings again</translation>
    </message>
    <message>
        <source>漢字の読みは提案されません。</source>
        <translation>No readings are proposed for kanji.</translation>
    </message>
</context>
<context>
    <name>verselet::Transport</name>
    <message>
        <source>ﾄﾗｯｸ%1 %2</source>
        <translation>Track %1 %2</translation>
    </message>
    <message>
        <source>ﾄﾗｯｸ%1 %2 %3</source>
        <translation>Track %1 %2 %3</translation>
    </message>
</context>
<context>
    <name>verselet::WaveformStrip</name>
    <message>
        <source>補正 %1%2 ms</source>
        <translation>Lag %1%2 ms</translation>
    </message>
</context>
</TS>
