[playlist]
File2=b.mp3
Title2=S - Two
file1=http://radio.example/live
NumberOfEntries=2
