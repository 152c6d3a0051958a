<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ja">
<context>
    <name>BoardLayout</name>
    <message>
        <source>画像 (%1 × %2 ピクセル) が小さすぎて、%3 × %4 のピースに分けられません。<byte value="xd"/>
画像の幅と高さには、横と縦の分割数の2倍以上のピクセルが必要です。</source>
        <translation>The picture (%1 × %2 pixels) is too small to cut into %3 × %4 pieces.<byte value="xd"/>
Its width and height must be at least twice the number of columns and rows.</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>使い方: quavinto [画像またはゲームのファイル] | --help | --version
</source>
        <translation>Usage: quavinto [picture or game file] | --help | --version
</translation>
    </message>
    <message>
        <source>不明なオプション: %1</source>
        <translation>unknown option: %1</translation>
    </message>
    <message>
        <source>ファイル名が空です</source>
        <translation>the file name is empty</translation>
    </message>
    <message>
        <source>開けるファイルは一つだけです</source>
        <translation>only one file can be opened</translation>
    </message>
    <message>
        <source>絵をピースに切り分けてばらばらにし、元の絵に並べ直すパズルです。
  ファイル    起動後に開く画像（BMP・GIF・JPEG・PNG・WebP）または保存したゲーム（.QVD）
  --help      この説明を表示して終了します
  --version   版を表示して終了します
</source>
        <translation>A puzzle: a picture is cut into pieces and shuffled, and you put it back together.
  file        a picture (BMP, GIF, JPEG, PNG, WebP) or a saved game (.QVD) to open at start
  --help      show this help and exit
  --version   show the version and exit
</translation>
    </message>
    <message>
        <source>%1。</source>
        <translation>%1. </translation>
    </message>
</context>
<context>
    <name>FileDialog</name>
    <message>
        <source>開く</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>%1 は存在しません。<byte value="xd"/>
作成しますか?</source>
        <translation>%1 does not exist.<byte value="xd"/>
Create it?</translation>
    </message>
    <message>
        <source>%1 は既に存在します。<byte value="xd"/>
上書きしますか?</source>
        <translation>%1 already exists.<byte value="xd"/>
Replace it?</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>
ファイルが見つかりません。<byte value="xd"/>
ファイル名を確認してください。</source>
        <translation>%1<byte value="xd"/>
File not found.<byte value="xd"/>
Check the file name.</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>
フォルダーの読み取りが許可されていないため、ファイルを読めません。<byte value="xd"/>
%2</source>
        <translation>%1<byte value="xd"/>
The file cannot be read: you have no permission to read its folder.<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>%1<byte value="xd"/>
パスが存在しません。<byte value="xd"/>
パスを確認してください。</source>
        <translation>%1<byte value="xd"/>
Path not found.<byte value="xd"/>
Check the path.</translation>
    </message>
</context>
<context>
    <name>Form1Commands</name>
    <message>
        <source>ゲーム中に設定を変更しにいくとゲームは中断されます<byte value="xd"/>
設定を変更しますか</source>
        <translation>Changing the settings during a game stops the game.<byte value="xd"/>
Change the settings?</translation>
    </message>
    <message>
        <source>QUAVINTOを終了します。</source>
        <translation>Quit QUAVINTO?</translation>
    </message>
    <message>
        <source>ゲーム中です。<byte value="xd"/>
データを保存しますか。</source>
        <translation>A game is in progress.<byte value="xd"/>
Save it?</translation>
    </message>
</context>
<context>
    <name>GameCommands</name>
    <message>
        <source>ゲームの状態を保存</source>
        <translation>Save game</translation>
    </message>
    <message>
        <source>ゲームの状態を読み出し</source>
        <translation>Load game</translation>
    </message>
    <message>
        <source>ゲームを再開始します</source>
        <translation>Resume the game?</translation>
    </message>
    <message>
        <source>データファイルの画像<byte value="xd"/>
ファイルがみつかりません。</source>
        <translation>The picture of this saved game<byte value="xd"/>
cannot be found.</translation>
    </message>
    <message>
        <source>エラー%1が発生しました。<byte value="xd"/>
ゲームは読み込まれず、何も変わっていません。</source>
        <translation>Error: %1.<byte value="xd"/>
The game was not loaded; nothing has changed.</translation>
    </message>
    <message>
        <source>ゲームを保存できませんでした。<byte value="xd"/>
%1</source>
        <translation>The game could not be saved.<byte value="xd"/>
%1</translation>
    </message>
</context>
<context>
    <name>GameFile</name>
    <message>
        <source>%1行目: </source>
        <translation>line %1: </translation>
    </message>
    <message>
        <source>ファイルが大きすぎます（%1 バイト。1 MB までです）</source>
        <translation>the file is too large (%L1 bytes; the limit is 1 MB)</translation>
    </message>
    <message>
        <source>ファイルが空です</source>
        <translation>the file is empty</translation>
    </message>
    <message>
        <source>画像のパスに制御文字が含まれています</source>
        <translation>the picture path contains control characters</translation>
    </message>
    <message>
        <source>画像のパスの文字コードを判別できません</source>
        <translation>the encoding of the picture path cannot be recognised</translation>
    </message>
    <message>
        <source>ファイルが途中で終わっています（%1がありません）</source>
        <translation>the file ends early (%1 is missing)</translation>
    </message>
    <message>
        <source>値が空です（%1）</source>
        <translation>a value is empty (%1)</translation>
    </message>
    <message>
        <source>数値ではありません（%1）</source>
        <translation>not a number (%1)</translation>
    </message>
    <message>
        <source>%1の値 %2 は範囲外です（%3～%4）</source>
        <translation>%1 value %2 is out of range (%3 to %4)</translation>
    </message>
    <message>
        <source>駒番号 %1 が重複しています</source>
        <translation>piece number %1 appears twice</translation>
    </message>
    <message>
        <source>分割の設定</source>
        <translation>board size setting</translation>
    </message>
    <message>
        <source>完成図の表示</source>
        <translation>Show finished picture</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background colour</translation>
    </message>
    <message>
        <source>駒の幅</source>
        <translation>piece width</translation>
    </message>
    <message>
        <source>駒の高さ</source>
        <translation>piece height</translation>
    </message>
    <message>
        <source>横の分割数</source>
        <translation>columns</translation>
    </message>
    <message>
        <source>縦の分割数</source>
        <translation>rows</translation>
    </message>
    <message>
        <source>駒番号</source>
        <translation>piece number</translation>
    </message>
    <message>
        <source>反転の印</source>
        <translation>upside-down mark</translation>
    </message>
    <message>
        <source>経過時間</source>
        <translation>elapsed time</translation>
    </message>
</context>
<context>
    <name>GameFileDialog</name>
    <message>
        <source>GAMEDATA(*.QVD)|*.QVD|すべて(*.*)|*.*</source>
        <translation>Saved games (*.QVD)|*.QVD|All files (*.*)|*.*</translation>
    </message>
    <message>
        <source>このファイルは今のゲームで使っている画像です。<byte value="xd"/>
画像に上書きしてゲームを保存することはできません。別の名前を選んでください。</source>
        <translation>This file is the picture of the current game.<byte value="xd"/>
A game cannot be saved over its picture. Choose another name.</translation>
    </message>
    <message>
        <source>このファイルは通常のファイルではないため、ゲームを保存できません。<byte value="xd"/>
別の名前を選んでください。</source>
        <translation>This is not a regular file, so the game cannot be saved to it.<byte value="xd"/>
Choose another name.</translation>
    </message>
</context>
<context>
    <name>GameFileIo</name>
    <message>
        <source>ファイルを作成できません（%1）</source>
        <translation>the file cannot be created (%1)</translation>
    </message>
    <message>
        <source>ファイルに書き込めません（%1）</source>
        <translation>the file cannot be written (%1)</translation>
    </message>
    <message>
        <source>ファイルを保存できません（%1）</source>
        <translation>the file cannot be saved (%1)</translation>
    </message>
    <message>
        <source>このゲームの状態は保存できません（%1）</source>
        <translation>this game cannot be saved (%1)</translation>
    </message>
    <message>
        <source>このゲームの状態は保存できません（読み戻した内容が一致しません）</source>
        <translation>this game cannot be saved (what was read back does not match)</translation>
    </message>
    <message>
        <source>ゲームのファイルではありません（通常のファイルではないため読み込めません）</source>
        <translation>not a game file (it is not a regular file and cannot be read)</translation>
    </message>
    <message>
        <source>ファイルを開けません（ファイルが見つかりません）</source>
        <translation>the file cannot be opened (file not found)</translation>
    </message>
    <message>
        <source>ファイルを開けません（ファイルを読む権限がありません）</source>
        <translation>the file cannot be opened (no permission to read it)</translation>
    </message>
    <message>
        <source>ファイルを開けません</source>
        <translation>the file cannot be opened</translation>
    </message>
    <message>
        <source>ファイルを読み込めません</source>
        <translation>the file cannot be read</translation>
    </message>
</context>
<context>
    <name>GameFlow</name>
    <message>
        <source>ゲームを開始します</source>
        <translation>Start the game?</translation>
    </message>
    <message>
        <source>おめでとうございます。<byte value="xd"/>
      完成です。<byte value="xd"/>
時間は<byte value="xd"/>
%1時間%2分%3秒です。</source>
        <comment>an hour or more</comment>
        <extracomment>%1, %2, %3: hours, minutes, seconds with two digits; %4, %5, %6: the same without a leading zero.</extracomment>
        <translation>Congratulations!<byte value="xd"/>
You finished the puzzle in %4 h %2 min %3 s.</translation>
    </message>
    <message>
        <source>おめでとうございます。<byte value="xd"/>
      完成です。<byte value="xd"/>
時間は<byte value="xd"/>
%1時間%2分%3秒です。</source>
        <comment>under an hour</comment>
        <extracomment>%1, %2, %3: hours, minutes, seconds with two digits; %4, %5, %6: the same without a leading zero.</extracomment>
        <translation>Congratulations!<byte value="xd"/>
You finished the puzzle in %5 min %3 s.</translation>
    </message>
    <message>
        <source>おめでとうございます。<byte value="xd"/>
      完成です。<byte value="xd"/>
時間は<byte value="xd"/>
%1時間%2分%3秒です。</source>
        <comment>under a minute</comment>
        <extracomment>%1, %2, %3: hours, minutes, seconds with two digits; %4, %5, %6: the same without a leading zero.</extracomment>
        <translation>Congratulations!<byte value="xd"/>
You finished the puzzle in %6 s.</translation>
    </message>
</context>
<context>
    <name>Geometry</name>
    <message>
        <source>画面の無効な場所をクリックしました。<byte value="xd"/>
プログラムを中止します。</source>
        <translation>You clicked an invalid place on the screen.<byte value="xd"/>
The program will stop.</translation>
    </message>
</context>
<context>
    <name>KeptGame</name>
    <message>
        <source>フォルダーを作成できません</source>
        <translation>the folder cannot be created</translation>
    </message>
    <message>
        <source>画像ファイルがみつかりません</source>
        <translation>the picture file cannot be found</translation>
    </message>
    <message>
        <source>画像を読み込めません</source>
        <translation>the picture cannot be read</translation>
    </message>
</context>
<context>
    <name>KeptGameOffer</name>
    <message>
        <source>前回のゲームを続けますか？</source>
        <translation>Continue your last game?</translation>
    </message>
    <message>
        <source>前回のゲームは続けられません（%1）。<byte value="xd"/>
%2 として残しました。</source>
        <translation>Your last game cannot be continued (%1).<byte value="xd"/>
It was kept as %2.</translation>
    </message>
    <message>
        <source>ゲームを自動で保存できません。<byte value="xd"/>
フォルダー: %1<byte value="xd"/>
ゲームはこのまま続けられます。</source>
        <translation>The game cannot be saved automatically.<byte value="xd"/>
Folder: %1<byte value="xd"/>
You can go on playing.</translation>
    </message>
    <message>
        <source>標準の画像</source>
        <translation>Built-in picture</translation>
    </message>
    <message>
        <source>%1&#x3000;%2×%3&#x3000;%4&#x3000;手数 %5</source>
        <translation>%1, %2×%3, %4, moves: %5</translation>
    </message>
</context>
<context>
    <name>PictureDecoder</name>
    <message>
        <source>画像ファイルがみつかりません</source>
        <translation>the picture file cannot be found</translation>
    </message>
    <message>
        <source>画像ファイルを読む権限がありません</source>
        <translation>no permission to read the picture file</translation>
    </message>
    <message>
        <source>画像ファイルを開けません</source>
        <translation>the picture file cannot be opened</translation>
    </message>
    <message>
        <source>通常のファイルではありません</source>
        <translation>not a regular file</translation>
    </message>
    <message>
        <source>画像ファイルが大きすぎます（%1 MB。%2 MB までです）</source>
        <translation>the picture file is too large (%1 MB; the limit is %2 MB)</translation>
    </message>
    <message>
        <source>画像ファイルではありません</source>
        <translation>not a picture file</translation>
    </message>
    <message>
        <source>BMP・GIF・JPEG・PNG・WebP 形式の画像ではありません</source>
        <translation>not a BMP, GIF, JPEG, PNG or WebP picture</translation>
    </message>
    <message>
        <source>%1 形式の画像を読む Qt の部品（画像形式プラグイン）がインストールされていません</source>
        <translation>the Qt image format plugin that reads %1 pictures is not installed</translation>
    </message>
    <message>
        <source>画像の大きさが読み取れません</source>
        <translation>the picture size cannot be read</translation>
    </message>
    <message>
        <source>画像の大きさが 0 です（%1×%2）</source>
        <translation>the picture is empty (%1×%2)</translation>
    </message>
    <message>
        <source>画像が大きすぎます（%1×%2。%3画素までです）</source>
        <translation>the picture is too large (%1×%2; the limit is %3 pixels)</translation>
    </message>
    <message>
        <source>画像が大きすぎます（%1×%2。縦横とも %3 画素までです）</source>
        <translation>the picture is too large (%1×%2; each side may be at most %L3 pixels)</translation>
    </message>
    <message>
        <source>JPEG のスキャンが多すぎます（%1。%2 までです）</source>
        <translation>the JPEG has too many scans (%1; the limit is %2)</translation>
    </message>
    <message>
        <source>画像のデータが壊れています</source>
        <translation>the picture data is damaged</translation>
    </message>
    <message>
        <source>BMP 画像のデータを読み込めません</source>
        <translation>the BMP picture data cannot be read</translation>
    </message>
</context>
<context>
    <name>PictureLoading</name>
    <message>
        <source>BMP形式(*.BMP)|*.BMP|GIF形式(*.GIF)|*.GIF|JPEG形式(*.JPG)|*.JPG|すべて(*.*)|*.*|PNG形式(*.PNG)|*.PNG|WebP形式(*.WEBP)|*.WEBP|JPEG形式(*.JPEG)|*.JPEG</source>
        <translation>BMP pictures (*.BMP)|*.BMP|GIF pictures (*.GIF)|*.GIF|JPEG pictures (*.JPG)|*.JPG|All files (*.*)|*.*|PNG pictures (*.PNG)|*.PNG|WebP pictures (*.WEBP)|*.WEBP|JPEG pictures (*.JPEG)|*.JPEG</translation>
    </message>
    <message>
        <source>ファイルがみつからないか、読み取りが許可されていません。</source>
        <translation>The file cannot be found, or you may not read it.</translation>
    </message>
    <message>
        <source>通常のファイルではありません（フォルダーや特殊なファイルは読み込めません）。</source>
        <translation>It is not a regular file (folders and special files cannot be loaded).</translation>
    </message>
    <message>
        <source>画像ではありません。</source>
        <translation>It is not a picture.</translation>
    </message>
    <message>
        <source>この形式の画像を読む部品がインストールされていません（qt6-image-formats-plugins）。</source>
        <translation>The component that reads pictures of this kind is not installed (qt6-image-formats-plugins).</translation>
    </message>
    <message>
        <source>この種類のファイルには対応していません。<byte value="xd"/>
BMP・GIF・JPEG・PNG・WebP の画像を選んでください。</source>
        <translation>Files of this kind are not supported.<byte value="xd"/>
Choose a BMP, GIF, JPEG, PNG or WebP picture.</translation>
    </message>
    <message>
        <source>画像が大きすぎて読み込めません。</source>
        <translation>The picture is too large to load.</translation>
    </message>
    <message>
        <source>%1。</source>
        <translation>%1.</translation>
    </message>
    <message>
        <source>画像ファイルが壊れています。</source>
        <translation>The picture file is damaged.</translation>
    </message>
    <message>
        <source>「%1」は使えません。<byte value="xd"/>
%2</source>
        <translation>“%1” cannot be used.<byte value="xd"/>
%2</translation>
    </message>
    <message>
        <source>「%1」は使えません。<byte value="xd"/>
ファイル名の終わりが、使える画像の種類を表していません。<byte value="xd"/>
名前が .bmp .gif .jpg(それぞれ全部大文字か全部小文字)、.jpeg .png .webp で終わる画像を選んでください。</source>
        <translation>“%1” cannot be used.<byte value="xd"/>
The end of its name does not name a picture type the game can use.<byte value="xd"/>
Choose a picture whose name ends in .bmp, .gif or .jpg (all capitals or all small letters), .jpeg, .png or .webp.</translation>
    </message>
    <message>
        <source>すべての画像</source>
        <translation>All pictures</translation>
    </message>
</context>
<context>
    <name>PlayControls</name>
    <message>
        <source>一時停止中 — クリックかキーで再開</source>
        <translation>Paused — click or press a key to resume</translation>
    </message>
    <message>
        <source>自己ベスト！ %1×%2 で %3 位</source>
        <extracomment>%1×%2: the board; %3: the place as a number, %4: as an ordinal (1st, 2nd…).</extracomment>
        <translation>New personal best on %1×%2!</translation>
    </message>
    <message>
        <source>記録に入りました！ %1×%2 で %3 位</source>
        <extracomment>%1×%2: the board; %3: the place as a number, %4: as an ordinal (1st, 2nd…).</extracomment>
        <translation>You placed %4 on %1×%2!</translation>
    </message>
    <message>
        <source>記録のファイルが壊れていたため、%1 として残し、新しく記録を始めます。</source>
        <translation>The records file was damaged. It was kept as %1, and new records have been started.</translation>
    </message>
    <message>
        <source>記録を保存できません。<byte value="xd"/>
フォルダー: %1<byte value="xd"/>
ゲームはこのまま続けられます。</source>
        <translation>The records cannot be saved.<byte value="xd"/>
Folder: %1<byte value="xd"/>
You can go on playing.</translation>
    </message>
    <message>
        <source>元に戻す</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>やり直し</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>一時停止</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>経過時間と手数</source>
        <translation>Time and moves</translation>
    </message>
    <message numerus="yes">
        <source>%1  手数 %n</source>
        <extracomment>%1: the time played; %n: the moves made.</extracomment>
        <translation>
            <numerusform>%1  %n move</numerusform>
            <numerusform>%1  %n moves</numerusform>
        </translation>
    </message>
    <message>
        <source>記録のファイルを読み込めません。<byte value="xd"/>
ファイル: %1</source>
        <translation>The records cannot be read.<byte value="xd"/>
File: %1</translation>
    </message>
    <message>
        <source>記録…</source>
        <translation>Records…</translation>
    </message>
    <message numerus="yes">
        <source>%1  手数 %n / 最少 %2</source>
        <extracomment>%1: the time played; %n: the moves made; %2: the fewest moves that solve the game.</extracomment>
        <translation>
            <numerusform>%1  %n move / fewest %2</numerusform>
            <numerusform>%1  %n moves / fewest %2</numerusform>
        </translation>
    </message>
    <message>
        <source>最少手数で完成！</source>
        <translation>Solved in the fewest moves!</translation>
    </message>
    <message>
        <source>ヒント</source>
        <translation>Hint</translation>
    </message>
    <message>
        <source>クリックで持ち上げる</source>
        <translation>Click to pick up</translation>
    </message>
    <message>
        <source>経過時間と手数、最少 %1 手</source>
        <translation>Time and moves, fewest %1</translation>
    </message>
    <message>
        <source>列 %1、行 %2 のピースを持ち上げ中</source>
        <translation>Piece in column %1, row %2 picked up</translation>
    </message>
    <message>
        <source>ピースを置きました</source>
        <translation>Piece put down</translation>
    </message>
</context>
<context>
    <name>SaveFailure</name>
    <message>
        <source>ディスクの空き容量が足りません</source>
        <translation>the disk is full</translation>
    </message>
    <message>
        <source>このフォルダーに書き込む権限がありません</source>
        <translation>no permission to write to this folder</translation>
    </message>
    <message>
        <source>書き込みできないディスク（読み取り専用）です</source>
        <translation>the disk is read-only</translation>
    </message>
    <message>
        <source>ファイル名が長すぎます</source>
        <translation>the file name is too long</translation>
    </message>
    <message>
        <source>保存先のフォルダーがありません</source>
        <translation>the folder does not exist</translation>
    </message>
    <message>
        <source>同じ名前のフォルダーがあります</source>
        <translation>a folder has the same name</translation>
    </message>
    <message>
        <source>ファイルが大きすぎて書き込めません</source>
        <translation>the file is too large to write</translation>
    </message>
    <message>
        <source>ディスクの読み書きでエラーが起きました</source>
        <translation>a disk read or write error occurred</translation>
    </message>
</context>
<context>
    <name>Settings</name>
    <message>
        <source>設定を保存できませんでした。次回の起動では今回の設定は使われません。<byte value="xd"/>
保存先のフォルダー: %1</source>
        <translation>The settings could not be saved. They will not be used the next time the game starts.<byte value="xd"/>
Folder: %1</translation>
    </message>
</context>
<context>
    <name>TextFigures</name>
    <message>
        <source>%1</source>
        <comment>ordinal like 1st, 21st</comment>
        <translation>%1st</translation>
    </message>
    <message>
        <source>%1</source>
        <comment>ordinal like 2nd, 22nd</comment>
        <translation>%1nd</translation>
    </message>
    <message>
        <source>%1</source>
        <comment>ordinal like 3rd, 23rd</comment>
        <translation>%1rd</translation>
    </message>
    <message>
        <source>%1</source>
        <comment>ordinal like 4th, 11th, 12th</comment>
        <translation>%1th</translation>
    </message>
    <message>
        <source>%2 万</source>
        <extracomment>%1: hundreds of millions, %2: tens of thousands, %3: the whole count grouped.</extracomment>
        <translation>%3</translation>
    </message>
    <message>
        <source>%1 億</source>
        <extracomment>%1: hundreds of millions, %2: tens of thousands, %3: the whole count grouped.</extracomment>
        <translation>%3</translation>
    </message>
    <message>
        <source>%1 億 %2 万</source>
        <extracomment>%1: hundreds of millions, %2: tens of thousands, %3: the whole count grouped.</extracomment>
        <translation>%3</translation>
    </message>
</context>
<context>
    <name>quavinto::Form1</name>
    <message>
        <source>パズルを並べ替え中です。</source>
        <translation>Shuffling the puzzle.</translation>
    </message>
    <message>
        <source>しばらくお待ち下さい。</source>
        <translation>Please wait a moment.</translation>
    </message>
    <message>
        <source>完成図</source>
        <translation>Finished picture</translation>
    </message>
    <message>
        <source>ファイル</source>
        <translation>File</translation>
    </message>
    <message>
        <source>画像読み込み</source>
        <translation>Load picture…</translation>
    </message>
    <message>
        <source>データの読み込み</source>
        <translation>Load game…</translation>
    </message>
    <message>
        <source>データの保存</source>
        <translation>Save game…</translation>
    </message>
    <message>
        <source>終了</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>ゲーム</source>
        <translation>Game</translation>
    </message>
    <message>
        <source>ゲーム開始</source>
        <translation>Start game</translation>
    </message>
    <message>
        <source>ゲーム中止</source>
        <translation>Stop game</translation>
    </message>
    <message>
        <source>設定</source>
        <translation>Settings…</translation>
    </message>
    <message>
        <source>完成図の倍率</source>
        <translation>Finished picture size</translation>
    </message>
    <message>
        <source>HELP</source>
        <translation>Help</translation>
    </message>
    <message>
        <source>目次</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>キーワードで検索</source>
        <translation>Search by keyword…</translation>
    </message>
    <message>
        <source>ヘルプについて</source>
        <translation>Using Help</translation>
    </message>
    <message>
        <source>情報</source>
        <translation>About QUAVINTO</translation>
    </message>
</context>
<context>
    <name>quavinto::Form2</name>
    <message>
        <source>分割数</source>
        <translation>Pieces</translation>
    </message>
    <message>
        <source>25PIECE</source>
        <translation>25 pieces</translation>
    </message>
    <message>
        <source>64PIECE</source>
        <translation>64 pieces</translation>
    </message>
    <message>
        <source>100PIECE</source>
        <translation>100 pieces</translation>
    </message>
    <message>
        <source>FREE</source>
        <translation>Custom</translation>
    </message>
    <message>
        <source>完成図の表示</source>
        <translation>Show finished picture</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>CANCEL</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>背景色</source>
        <translation>Background colour</translation>
    </message>
    <message>
        <source>SYSTEM</source>
        <translation>System</translation>
    </message>
    <message>
        <source>白</source>
        <translation>White</translation>
    </message>
    <message>
        <source>黒</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>水色</source>
        <translation>Light blue</translation>
    </message>
    <message>
        <source>緑</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>黄</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>分割数はX,Y共1以上30以内です。</source>
        <translation>X and Y must each be from 1 to 30.</translation>
    </message>
    <message>
        <source>25ピース (5 × 5)</source>
        <translation>25 pieces (5 × 5)</translation>
    </message>
    <message>
        <source>64ピース (8 × 8)</source>
        <translation>64 pieces (8 × 8)</translation>
    </message>
    <message>
        <source>100ピース (10 × 10)</source>
        <translation>100 pieces (10 × 10)</translation>
    </message>
    <message>
        <source>自由な分割数</source>
        <translation>Custom number of pieces</translation>
    </message>
    <message>
        <source>横の分割数 (X)</source>
        <translation>Columns (X)</translation>
    </message>
    <message>
        <source>縦の分割数 (Y)</source>
        <translation>Rows (Y)</translation>
    </message>
    <message>
        <source>キャンセル</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>システムの色</source>
        <translation>System colour</translation>
    </message>
</context>
<context>
    <name>quavinto::Form3</name>
    <message>
        <source>ＱＵＡＶＩＮＴＯ(Ver 2.02)</source>
        <translation>QUAVINTO (version 2.02)</translation>
    </message>
    <message>
        <source>32Bit Version</source>
        <translation>32-bit version</translation>
    </message>
    <message>
        <source>(C) QUAVINTO 開発チーム
All rights reserved.</source>
        <translation>(C) The QUAVINTO team
All rights reserved.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>quavinto::Form4</name>
    <message>
        <source>QUAVINTO(終了:左ClicK 再表示:右Click) </source>
        <translation>QUAVINTO (close: left click, refresh: right click)</translation>
    </message>
    <message>
        <source>About Position</source>
        <translation>Positions</translation>
    </message>
    <message>
        <source>About Reverse(0:Normal 1:Reverse)</source>
        <translation>Orientation (0: normal, 1: upside down)</translation>
    </message>
</context>
<context>
    <name>quavinto::HelpWindow</name>
    <message>
        <source>QUAVINTO ヘルプ</source>
        <translation>QUAVINTO Help</translation>
    </message>
    <message>
        <source>目次</source>
        <translation>Contents</translation>
    </message>
    <message>
        <source>戻る</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>進む</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>キーワード検索</source>
        <translation>Keyword search</translation>
    </message>
    <message>
        <source>調べたい言葉を入力してください:</source>
        <translation>Type the word to look up:</translation>
    </message>
    <message>
        <source>キーワード:</source>
        <translation>Keywords:</translation>
    </message>
    <message>
        <source>トピック:</source>
        <translation>Topics:</translation>
    </message>
    <message>
        <source>表示</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>ヘルプファイルが見つかりません</source>
        <translation>Help files not found</translation>
    </message>
    <message>
        <source>ヘルプファイルが見つかりませんでした。次の場所を探しました:</source>
        <translation>The help files were not found. These places were searched:</translation>
    </message>
    <message>
        <source>QUAVINTO を入れ直すと、ヘルプファイルも入ります。ゲームはこのまま続けられます。</source>
        <translation>Reinstalling QUAVINTO installs the help files again. You can go on playing.</translation>
    </message>
    <message>
        <source>調べたい言葉</source>
        <translation>Word to look up</translation>
    </message>
    <message>
        <source>キーワード</source>
        <translation>Keywords</translation>
    </message>
    <message>
        <source>トピック</source>
        <translation>Topics</translation>
    </message>
    <message>
        <source>ヘルプの本文</source>
        <translation>Help text</translation>
    </message>
</context>
<context>
    <name>quavinto::HintMarks</name>
    <message>
        <source>ヒント: 列 %1、行 %2 のピースを回転</source>
        <translation>Hint: turn the piece in column %1, row %2</translation>
    </message>
    <message>
        <source>ヒント: 列 %1、行 %2 と 列 %3、行 %4 のピースを交換</source>
        <translation>Hint: exchange the pieces in column %1, row %2 and column %3, row %4</translation>
    </message>
</context>
<context>
    <name>quavinto::KeyboardPlay</name>
    <message>
        <source>パズルの盤</source>
        <translation>Puzzle board</translation>
    </message>
    <message>
        <source>矢印キーでセルを選び、スペースかEnterで持ち上げて交換、Rで回転、Escで取り消し</source>
        <translation>Arrow keys choose a cell, Space or Enter picks up and swaps, R turns, Esc cancels</translation>
    </message>
    <message>
        <source>列 %1、行 %2、%3</source>
        <translation>column %1, row %2, %3</translation>
    </message>
    <message>
        <source>裏返し</source>
        <translation>upside down</translation>
    </message>
    <message>
        <source>正しい向き</source>
        <translation>right way up</translation>
    </message>
    <message>
        <source>、ピースを持ち上げ中</source>
        <translation>, holding a piece</translation>
    </message>
</context>
<context>
    <name>quavinto::PicturePreview</name>
    <message>
        <source>プレビュー</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>プレビューできません</source>
        <translation>No preview</translation>
    </message>
    <message>
        <source>%1 × %2 画素</source>
        <translation>%L1 × %L2 pixels</translation>
    </message>
</context>
<context>
    <name>quavinto::RecentPicturesMenu</name>
    <message>
        <source>最近使った画像</source>
        <translation>Recent pictures</translation>
    </message>
    <message>
        <source>%1（見つかりません）</source>
        <translation>%1 (not found)</translation>
    </message>
    <message>
        <source>（なし）</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>一覧を消去</source>
        <translation>Clear list</translation>
    </message>
    <message>
        <source>%1（途中 %2）</source>
        <translation>%1 (in progress, %2)</translation>
    </message>
</context>
<context>
    <name>quavinto::RecordsDialog</name>
    <message>
        <source>記録</source>
        <translation>Records</translation>
    </message>
    <message>
        <source>標準の画像</source>
        <translation>Built-in picture</translation>
    </message>
    <message>
        <source>画像: %1</source>
        <translation>Picture: %1</translation>
    </message>
    <message>
        <source>盤</source>
        <translation>Board</translation>
    </message>
    <message>
        <source>順位</source>
        <translation>Place</translation>
    </message>
    <message>
        <source>時間</source>
        <translation>Time</translation>
    </message>
    <message>
        <source>手数</source>
        <translation>Moves</translation>
    </message>
    <message>
        <source>日付</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>備考</source>
        <translation>Note</translation>
    </message>
    <message>
        <source>記録の一覧</source>
        <translation>List of records</translation>
    </message>
    <message>
        <source>記録を消去</source>
        <translation>Clear records</translation>
    </message>
    <message>
        <source>閉じる</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>保存データから再開</source>
        <translation>Resumed from a saved game</translation>
    </message>
    <message>
        <source>まだ記録はありません</source>
        <translation>No records yet</translation>
    </message>
    <message>
        <source>この画像の記録をすべて消去しますか？</source>
        <translation>Clear all records for this picture?</translation>
    </message>
    <message>
        <source>記録を読み込めません</source>
        <translation>The records cannot be read</translation>
    </message>
    <message>
        <source>最少</source>
        <translation>Fewest</translation>
    </message>
    <message>
        <source>ヒント</source>
        <translation>Hints</translation>
    </message>
</context>
</TS>
