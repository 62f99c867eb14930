<CHANNEL
	HREF="http://www.example.com/news/" >

	<TITLE>Tendrel News</TITLE>
	<LOGO HREF="http://www.example.com/news/news.ico" STYLE="icon" />
	<LOGO HREF="../img/news.gif" STYLE="image" />
</CHANNEL>